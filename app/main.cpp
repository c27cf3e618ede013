#include <windows.h>

#include <exception>

#include "app/modMain.h"
#include "win32/Window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The main window's load runs inside Main, before any message loop: an
    // exception from it ends the program here rather than in the runtime.
    try {
        int status = 0;
        if (!modMain::Main(status)) return status;
    } catch (const std::exception& e) {
        win32::Trace("start-up", 0, e.what());
        return 1;
    } catch (...) {
        win32::Trace("start-up", 0, "an exception of unknown type");
        return 1;
    }
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
