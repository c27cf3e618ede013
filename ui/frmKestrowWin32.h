// The main window, frmKestrow, on Win32: its controls from the layout table,
// the two tabs, the File, Edit and Help menus, context help, the web link, and the load
// sequence that ties the program together at start-up.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <memory>

#include "ui/resource.h"

#include "shell/PrompterWin32.h"
#include "ui/LayoutWin32.h"
#include "ui/frmKestrow.h"
#include "win32/Window.h"

namespace ui {

class frmAbout;

class frmKestrow : public win32::BaseWindow<frmKestrow> {
  public:
    static constexpr win32::WindowClass kClass = {"frmKestrow", IDI_DOVRANE, 0, true};

    // The single main window, created on first use.
    static frmKestrow& Instance();

    // Creates the window, runs Form_Load, then shows it. False when the
    // window could not be created.
    bool Show();
    // Tab order of the layout table and the dialog keys (mnemonics, Space,
    // Enter) for the window's controls. True when the message was handled.
    bool PreTranslate(MSG& msg);

    frmKestrow(const frmKestrow&) = delete;
    frmKestrow& operator=(const frmKestrow&) = delete;
    ~frmKestrow();

  private:
    frmKestrow();
    struct Parts;

    friend class win32::BaseWindow<frmKestrow>;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

    void CreateControls();
    void WireHandlers();
    HWND Control(int id) const;
    void ShowPage(Page page);
    void SwitchTab();
    void MoveFocus(bool forward);

    void Form_Load();
    void mnuHelpContents_Click();
    void mnuHelpAbout_Click();
    void Label1_Click();
    void OnHelp(const HELPINFO& info);
    void OnCommand(int id, int code, HWND control);

    FontSet fonts_;
    HCURSOR hand_ = nullptr;
    HACCEL accelerators_ = nullptr;
    shell::PrompterWin32 prompter_;
    frmAbout* about_ = nullptr;  // the About box while it is up
    std::map<int, HWND> controls_;
    std::unique_ptr<Parts> parts_;
};

}  // namespace ui
