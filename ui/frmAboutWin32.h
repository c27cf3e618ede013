// The About box on Win32: a modal dialog built from the design rows of
// frmAbout.h, loaded afresh on every showing.
#pragma once
#include <windows.h>

#include "ui/LayoutWin32.h"
#include "win32/Window.h"

namespace ui {

class frmAbout : public win32::BaseWindow<frmAbout> {
  public:
    static constexpr win32::WindowClass kClass = {"frmAbout", 0, 0, false};

    // Shows the box modally, owned by `owner`; returns when it is closed.
    void Show(HWND owner);

  private:
    friend class win32::BaseWindow<frmAbout>;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void CreateControls();
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void Paint();

    HWND owner_ = nullptr;
    FontSet fonts_;  // none of its own: every control takes the dialog's
};

}  // namespace ui
