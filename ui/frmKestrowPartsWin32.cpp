#include "ui/frmKestrowPartsWin32.h"

#include <commdlg.h>

#include <vector>

namespace ui {

namespace {

// The Open dialog (or the Save dialog) for a registration file; `folder`
// may be null (the folder Windows last used). The file chosen, or empty
// when the user cancelled.
std::u16string ChooseRegFile(HWND owner, const wchar_t* title, const wchar_t* folder, bool save) {
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
    dialog.lpstrInitialDir = folder;
    dialog.lpstrTitle = title;
    dialog.lpstrDefExt = L"reg";
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) return u"";
    return std::u16string(reinterpret_cast<const char16_t*>(path.data()));
}

}  // namespace

std::u16string frmKestrow::Parts::ChooseBackup(const std::u16string& folder) {
    return ChooseRegFile(owner, L"Restore Backup", win32::Wide(folder), false);
}

std::u16string frmKestrow::Parts::ChooseProfile(bool save) {
    return ChooseRegFile(owner, save ? L"Export Settings" : L"Import Settings", nullptr, save);
}

}  // namespace ui
