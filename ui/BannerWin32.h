// The banner on Win32: the picture box Picture1 and the banner's routines
// wired to WinINet, the program's folder and the OLE picture loader. The
// main window makes the box with its other controls, loads the banner in its
// Form_Load and passes Picture1's clicks (WM_COMMAND, BN_CLICKED) on.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "app/resource.h"

#include "ui/Banner.h"
#include "ui/PictureWin32.h"
#include "win32/Window.h"

namespace ui {

// Picture1: a sunken box that shows its picture at the picture's own size
// from the top-left corner (clipped to the box), shows the pointing-hand
// cursor, and tells its parent of a click with WM_COMMAND (id, BN_CLICKED).
class BannerBox : public win32::BaseWindow<BannerBox> {
  public:
    static constexpr win32::WindowClass kClass = {"DovraneBanner", 0, IDC_HAND_POINTER, false};

    BannerBox() = default;
    ~BannerBox();
    HWND Create(HWND parent, int id, const RECT& pixels);
    // Replaces the picture the box shows (an empty Picture clears it).
    void SetPicture(Picture picture);

  private:
    friend class win32::BaseWindow<BannerBox>;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void Paint();

    Picture picture_;
    bool pressed_ = false;  // a click under way
};

class BannerWin32 {
  public:
    BannerWin32();
    ~BannerWin32();
    BannerWin32(const BannerWin32&) = delete;
    BannerWin32& operator=(const BannerWin32&) = delete;

    // Makes Picture1, `pixels` in the parent's client area.
    HWND CreateBox(HWND parent, int id, const RECT& pixels);
    // Fetches the description and the image, stores the image in the
    // program's folder and shows it in Picture1. Call once, in Form_Load.
    // Never throws and shows nothing: a failure leaves the box empty.
    void LoadBanner();
    // Follows the banner's link (web addresses only).
    void Picture1_Click(Shell& shell, Prompter& prompter) const;
    const std::string& BannerLink() const;

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace ui
