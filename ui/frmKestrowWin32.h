#pragma once
#include <windows.h>

namespace ui {

// The main window on Win32.
class frmKestrowWindow {
  public:
    static frmKestrowWindow& Instance();
    bool Show();
    bool PreTranslate(MSG& msg);
    HWND hwnd() const { return hwnd_; }

  private:
    frmKestrowWindow() = default;
    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
    HWND hwnd_ = nullptr;
};

}  // namespace ui
