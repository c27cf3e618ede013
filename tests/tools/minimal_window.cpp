// The floors for start-up measurements. Built as minimal_window, a Win32
// program that opens one empty window and nothing else: what Wine costs to
// start any program and show a window. Built as themed_window (THEMED_FLOOR),
// the same window made the way Dovrane makes its own: the common controls
// version 6 manifest, InitCommonControls and one themed button, so that what
// the XP visual style costs every themed program is in the floor, not in
// Dovrane's share.
#include <windows.h>
#ifdef THEMED_FLOOR
#include <commctrl.h>
#define FLOOR_CLASS "ThemedWindow"
#else
#define FLOOR_CLASS "MinimalWindow"
#endif

static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int show) {
#ifdef THEMED_FLOOR
    InitCommonControls();
#endif
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = inst;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = FLOOR_CLASS;
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowA(FLOOR_CLASS, "Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 460, 340, nullptr, nullptr, inst, nullptr);
#ifdef THEMED_FLOOR
    CreateWindowA("BUTTON", "OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 75, 23, hwnd,
                  nullptr, inst, nullptr);
#endif
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
