// The splash screen on Win32: a window without a title bar that shows the
// product's name, logo, version and the advertising notice while the main
// window loads. Any key that gives a character, or a click on the frame, the
// logo or a label, closes it early; a click on the margin outside the frame
// does not.
//
// The main window's Form_Load shows a fresh one before its slow steps and
// unloads it after them, unless the user closed it already.
#pragma once
#include <windows.h>

#include <map>
#include <vector>

#include "ui/LayoutWin32.h"
#include "win32/Window.h"

namespace ui {

class frmSplash : public win32::BaseWindow<frmSplash> {
  public:
    static constexpr win32::WindowClass kClass = {"frmSplash", 0, 0, true};

    frmSplash();
    ~frmSplash();  // unloads

    // Loads the splash (its Form_Load sets the label texts) and shows it
    // modeless, owned by `owner`, centred on the screen and painted before
    // this returns. A splash is shown once; later calls do nothing.
    void Show(HWND owner);
    // Destroys the window; nothing happens when it is gone already.
    void Unload();

    bool IsLoaded() const { return hwnd() != nullptr; }

  private:
    void CreateControls();
    void Form_Load();
    void SetLabelText(int id, const std::string& text);
    void Form_KeyPress();
    void Frame1_Click();
    void DrawFrame(const DRAWITEMSTRUCT& item) const;
    void DrawLogo(const DRAWITEMSTRUCT& item) const;
    friend class win32::BaseWindow<frmSplash>;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

    win32::Bitmap logo_;  // a DIB section: its palette can be changed
    FontSet fonts_;
    std::map<int, HWND> controls_;
    bool shown_ = false;
};

}  // namespace ui
