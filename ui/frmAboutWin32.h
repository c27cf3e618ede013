// The About box on Win32: a modal dialog built from the design rows of
// AboutBox.h, loaded afresh on every showing.
//
// The main window's Help > About:
//     ui::frmAbout::ShowModal(hwnd);   // returns when the box is closed
#pragma once
#include <windows.h>

namespace ui {

class frmAbout {
  public:
    // Shows the single shared About box modally, owned by `owner`.
    static void ShowModal(HWND owner);
    static frmAbout& Instance();

    frmAbout(const frmAbout&) = delete;
    frmAbout& operator=(const frmAbout&) = delete;

  private:
    frmAbout() = default;
    void Show(HWND owner);
    void CreateControls();
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void Paint();
    static INT_PTR CALLBACK DlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
};

}  // namespace ui
