#include "ui/frmKestrowPartsWin32.h"

#include <commdlg.h>

#include <vector>

namespace ui {

std::u16string frmKestrow::Parts::ChooseBackup(const std::u16string& folder) {
    // Room for the longest path Windows takes; a name that does not fit is
    // refused by the dialog (FNERR_BUFFERTOOSMALL), never cut short.
    std::vector<wchar_t> path(32768, L'\0');
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"Registration files (*.reg)\0*.reg\0All files (*.*)\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrInitialDir = win32::Wide(folder);
    dialog.lpstrTitle = L"Restore Backup";
    dialog.lpstrDefExt = L"reg";
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&dialog)) return u"";
    return std::u16string(reinterpret_cast<const char16_t*>(path.data()));
}

}  // namespace ui
