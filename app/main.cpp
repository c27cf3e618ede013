#include <windows.h>

#include "app/modMain.h"
#include "win32/Window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The main window's load runs inside Main, before any message loop: an
    // exception from it ends the program here, with 1, rather than in the
    // runtime.
    int status = 1;
    const bool windowOpen = win32::Guard("start-up", [&] {
        int ended = 0;
        const bool open = modMain::Main(ended);
        status = ended;
        return open;
    });
    if (!windowOpen) return status;
    // The program runs for as long as the main window is open; closing it
    // posts WM_QUIT.
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!modMain::PreTranslate(msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
