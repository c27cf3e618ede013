// The banner on Win32: the picture box Picture1 and the banner's routines
// wired to WinINet, the program's folder and the OLE picture loader.
//
// What the main window does with it:
//   - WM_CREATE (or wherever the controls are made):
//         HWND picture1 = ui::CreateBannerBox(hwnd, kPicture1, pixelRect);
//     pixelRect is (0, 3000, 6615 x 1095) twips converted at the display's DPI.
//   - Form_Load step 3, after the splash is shown and painted:
//         banner_.LoadBanner(picture1);           // banner_: a ui::BannerWin32 member
//     It blocks for at most the two fetches' time-outs (4 s + 8 s) and never
//     throws or shows anything.
//   - WM_COMMAND with LOWORD(wParam) == kPicture1 and HIWORD(wParam) ==
//     BN_CLICKED (the box sends it on a left click released over it):
//         ui::ShellWin32 shell(hwnd);
//         banner_.Picture1_Click(shell, prompter);   // prompter: owned by hwnd
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "ui/Banner.h"
#include "ui/PictureWin32.h"

namespace ui {

// Creates Picture1: a sunken box that shows its picture at the picture's own
// size from the top-left corner (clipped to the box), shows the pointing-hand
// cursor, and tells its parent of a click with WM_COMMAND (id, BN_CLICKED).
HWND CreateBannerBox(HWND parent, int id, const RECT& pixels);

// Replaces the picture the box shows (an empty Picture clears it).
void SetBannerPicture(HWND box, Picture picture);

class BannerWin32 {
  public:
    BannerWin32();
    ~BannerWin32();
    BannerWin32(const BannerWin32&) = delete;
    BannerWin32& operator=(const BannerWin32&) = delete;

    // Fetches the description and the image, stores the image in the
    // program's folder and shows it in `picture1`. Call once, in Form_Load.
    void LoadBanner(HWND picture1);
    // Follows the banner's link (web addresses only).
    void Picture1_Click(Shell& shell, Prompter& prompter) const;
    const std::string& BannerLink() const;

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace ui
