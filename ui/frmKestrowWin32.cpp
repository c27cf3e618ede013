#include "ui/frmKestrowWin32.h"

#include "app/resource.h"
#include "app/version.h"

namespace ui {

frmKestrowWindow& frmKestrowWindow::Instance() {
    static frmKestrowWindow instance;
    return instance;
}

LRESULT CALLBACK frmKestrowWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

bool frmKestrowWindow::Show() {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = inst;
    wc.hIcon = LoadIconA(inst, MAKEINTRESOURCEA(IDI_DOVRANE));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "frmKestrow";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowExA(0, "frmKestrow", DOVRANE_TITLE, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                            CW_USEDEFAULT, CW_USEDEFAULT, 460, 360, nullptr,
                            LoadMenuA(inst, MAKEINTRESOURCEA(IDM_MAIN)), inst, nullptr);
    if (!hwnd_) return false;
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    return true;
}

bool frmKestrowWindow::PreTranslate(MSG& msg) {
    return hwnd_ && IsDialogMessageA(hwnd_, &msg);
}

}  // namespace ui
