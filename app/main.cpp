#include <windows.h>

#include "app/modMain.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (!modMain::Main()) return 0;
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
