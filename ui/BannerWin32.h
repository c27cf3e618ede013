// The banner on Win32: the picture box Picture1 and the banner's routines
// wired to WinINet on a worker thread, the program's folder and the OLE
// picture loader. The main window makes the box with its other controls,
// starts the banner in its Form_Load, waits for it a short grace at the end
// of the load, takes what arrives later on kMsgBannerArrived, stops it when
// it closes and passes Picture1's clicks (WM_COMMAND, BN_CLICKED) on.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "ui/resource.h"

#include "banner/Banner.h"
#include "banner/PictureWin32.h"
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
    void SetPicture(banner::Picture picture);

  private:
    friend class win32::BaseWindow<BannerBox>;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void Paint();

    banner::Picture picture_;
    bool pressed_ = false;  // a click under way
};

// Posted to the window given to BannerWin32::Start when the description or
// the image has arrived; the window answers with TakeArrivals.
inline constexpr UINT kMsgBannerArrived = WM_APP + 1;

// The banner's fetches on a worker thread of their own, and what they bring
// taken on the interface thread: the link set, the image shown and stored.
class BannerWin32 {
  public:
    BannerWin32();
    ~BannerWin32();  // stops the worker
    BannerWin32(const BannerWin32&) = delete;
    BannerWin32& operator=(const BannerWin32&) = delete;

    // Makes Picture1, `pixels` in the parent's client area.
    HWND CreateBox(HWND parent, int id, const RECT& pixels);
    // Starts fetching the description and the image on a worker thread;
    // `notify` is posted kMsgBannerArrived as each arrives. Call once, in
    // Form_Load. Never throws: a worker that cannot start means no banner.
    void Start(HWND notify);
    // Waits, answering sent messages, until the worker is done or `graceMs`
    // have passed since Start, then takes what has arrived.
    void WaitForBanner(unsigned graceMs);
    // Sets BannerLink once the description is in, shows and stores the image
    // once it is in; each once. Nothing after Stop.
    void TakeArrivals();
    // Gives the banner up: the transfer under way is cancelled and the worker
    // waited for a moment (answering sent messages). Whatever arrives later
    // is dropped: nothing is written. For the window's end.
    void Stop();

    // Follows the banner's link (web addresses only).
    void Picture1_Click(shell::Shell& shell, shell::Prompter& prompter) const;
    const std::string& BannerLink() const;

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace ui
