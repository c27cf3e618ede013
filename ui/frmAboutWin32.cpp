#include "ui/frmAboutWin32.h"

#include <string>

#include "registry/RegistryWin32.h"
#include "shell/PrompterWin32.h"
#include "ui/LayoutWin32.h"
#include "ui/frmAbout.h"
#include "ui/resource.h"

namespace ui {

namespace {

// Starting System Information on the real system.
class ProgramsWin32 final : public Programs {
  public:
    bool FileExists(const std::string& path) override {
        // A plain search: folders, hidden and system files do not count.
        const DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES &&
               !(attributes &
                 (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    }
    bool Start(const std::string& path) override {
        if (path.empty()) return false;
        // The program is named on its own, so no part of a path with spaces
        // is taken for another program ("C:\Program.exe").
        std::string commandLine = "\"" + path + "\"";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &si, &pi)) {
            return false;
        }
        // Not waited for: both handles go at once.
        win32::Handle thread(pi.hThread);
        win32::Handle process(pi.hProcess);
        return true;
    }
};

// An empty dialog in memory: the controls are made at run time from the
// design rows, placed in twips like every other window of the program.
struct alignas(4) DialogTemplate {
    DLGTEMPLATE dialog;
    WORD menu;
    WORD windowClass;
    WCHAR title[1];
    WORD pointSize;
    WCHAR face[14];
};

}  // namespace

void frmAbout::Show(HWND owner) {
    if (hwnd()) return;  // already up: a modal box is shown once at a time
    owner_ = owner;
    DialogTemplate t = {};
    t.dialog.style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    t.pointSize = 8;
    const wchar_t face[] = L"MS Sans Serif";
    for (size_t i = 0; i < sizeof face / sizeof face[0]; ++i) t.face[i] = face[i];
    ShowDialog(owner, &t.dialog);
}

void frmAbout::CreateControls() {
    const int dpi = ScreenDpi();

    RECT client = {0, 0, TwipsToPixels(kAboutWidthTwips, dpi),
                   TwipsToPixels(kAboutHeightTwips, dpi)};
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(hwnd(), GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrA(hwnd(), GWL_EXSTYLE));
    AdjustWindowRectEx(&client, style, FALSE, exStyle);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    // Centred over the main window, or the screen when it is not up.
    RECT over = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner_ && IsWindowVisible(owner_)) GetWindowRect(owner_, &over);
    SetWindowPos(hwnd(), nullptr, over.left + (over.right - over.left - width) / 2,
                 over.top + (over.bottom - over.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    for (const LayoutRow& row : kAboutControls)
        CreateControl(hwnd(), row, {{0, 0}, dpi, Snap::Size}, fonts_);
    SendMessageA(hwnd(), DM_SETDEFID, kAboutCmdOK, 0);
}

void frmAbout::Form_Load() {
    const AboutTexts texts = AboutLoadTexts();
    SetWindowTextA(hwnd(), texts.caption.c_str());
    SetDlgItemTextA(hwnd(), kAboutLblVersion, texts.version.c_str());
    SetDlgItemTextA(hwnd(), kAboutLblTitle, texts.title.c_str());
}

void frmAbout::cmdOK_Click() {
    EndDialog(hwnd(), IDOK);
}

void frmAbout::cmdSysInfo_Click() {
    reg::RegistryWin32 registry;
    ProgramsWin32 programs;
    shell::PrompterWin32 prompter(hwnd());
    StartSysInfo(registry, programs, prompter);
}

void frmAbout::Paint() {
    win32::PaintDc dc(hwnd());
    // The etched separator: the grey line, then the white one. Each line
    // after the first starts a row lower; on the very same row the
    // two-pixel white pen would cover the grey one entirely.
    const int dpi = ScreenDpi();
    auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
    int below = 0;
    for (const auto& line : kAboutLines) {
        win32::Brush brush(CreateSolidBrush(RGB(line.red, line.green, line.blue)));
        const int y = px(line.y1) + below;
        RECT r = {px(line.x1), y, px(line.x2), y + line.widthPixels};
        FillRect(dc.get(), &r, brush.get());
        ++below;
    }
}

LRESULT frmAbout::HandleMessage(UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
        case WM_INITDIALOG:
            CreateControls();
            Form_Load();
            SetFocus(GetDlgItem(hwnd(), kAboutCmdOK));
            return FALSE;  // the focus is set
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case IDOK:      // Enter and the "OK" button
                case IDCANCEL:  // Esc and the close box
                    cmdOK_Click();
                    return TRUE;
                case kAboutCmdSysInfo:
                    if (HIWORD(wp) == BN_CLICKED) cmdSysInfo_Click();
                    return TRUE;
            }
            break;
        case WM_PAINT:
            Paint();
            return TRUE;
    }
    return Default(msg, wp, 0);
}

}  // namespace ui
