#include "ui/frmKestrowPartsWin32.h"

#include <commdlg.h>

#include <exception>
#include <vector>

#include "win32/Handles.h"
#include "win32/Window.h"

namespace ui {

namespace {

struct Job {
    const std::function<void()>* work;
    std::exception_ptr failed;
};

DWORD WINAPI RunJob(void* parameter) {
    Job& job = *static_cast<Job*>(parameter);
    try {
        (*job.work)();
    } catch (...) {
        job.failed = std::current_exception();  // thrown again on the interface thread
    }
    return 0;
}

}  // namespace

// CreateThread rather than std::thread, as for the banner's fetch. The
// interface thread waits answering what is sent to its windows and painting
// them, so the window never turns Not Responding nor stays unpainted; the
// user's input stays queued until the work is done, so no click or key (a
// second restore, a box) runs in its middle or touches the registry beside
// it.
void frmKestrow::Parts::Busy(const std::function<void()>& work) {
    const HCURSOR before = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    Job job{&work, nullptr};
    win32::Handle thread(CreateThread(nullptr, 0, RunJob, &job, 0, nullptr));
    if (!thread) {
        RunJob(&job);  // no thread to be had: the work still runs, here
    } else {
        while (!win32::WaitAnswering(thread.get(), 100) &&
               WaitForSingleObject(thread.get(), 0) == WAIT_TIMEOUT) {
            MSG msg;
            for (int i = 0; i < 32 && PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE);
                 ++i)
                DispatchMessageW(&msg);
        }
    }
    SetCursor(before);
    if (job.failed) std::rethrow_exception(job.failed);
}

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
