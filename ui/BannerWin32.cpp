#include "ui/BannerWin32.h"

#include <atomic>
#include <memory>
#include <string>
#include <utility>

#include "banner/HttpWin32.h"
#include "files/FilesWin32.h"
#include "ui/resource.h"
#include "win32/ProgramFolder.h"

namespace ui {

LRESULT BannerBox::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT fills the whole box
        case WM_PAINT:
            Paint();
            return 0;
        case WM_LBUTTONDOWN:
            pressed_ = true;
            SetCapture(hwnd());
            return 0;
        case WM_LBUTTONUP: {
            if (!pressed_) return 0;
            pressed_ = false;
            ReleaseCapture();
            RECT client;
            GetClientRect(hwnd(), &client);
            const POINT at = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            // A click counts where the button is let go over the box.
            if (PtInRect(&client, at)) {
                SendMessageA(GetParent(hwnd()), WM_COMMAND,
                             MAKEWPARAM(GetDlgCtrlID(hwnd()), BN_CLICKED),
                             reinterpret_cast<LPARAM>(hwnd()));
            }
            return 0;
        }
        case WM_CAPTURECHANGED:
            pressed_ = false;
            return 0;
    }
    return Default(msg, wp, lp);
}

void BannerBox::Paint() {
    win32::PaintDc dc(hwnd());
    RECT client;
    GetClientRect(hwnd(), &client);
    FillRect(dc.get(), &client, GetSysColorBrush(COLOR_BTNFACE));
    if (picture_) {
        // At its own size from the top-left corner; the box clips the rest.
        const SIZE size = banner::PictureSize(picture_, dc.get());
        const RECT target = {0, 0, size.cx, size.cy};
        banner::RenderPicture(picture_, dc.get(), target);
    }
}

BannerBox::~BannerBox() {
    if (hwnd()) DestroyWindow(hwnd());
}

HWND BannerBox::Create(HWND parent, int id, const RECT& pixels) {
    return BaseWindow::Create(WS_EX_CLIENTEDGE, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                              pixels.left, pixels.top, pixels.right - pixels.left,
                              pixels.bottom - pixels.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void BannerBox::SetPicture(banner::Picture picture) {
    picture_ = std::move(picture);
    if (hwnd()) InvalidateRect(hwnd(), nullptr, TRUE);
}

namespace {

// How long the window's end waits for the worker: its transfer is cancelled,
// so it ends within moments, and the process must end within a second of the
// window's, whatever the server does.
constexpr DWORD kStopWaitMs = 250;

class BoxPicture final : public banner::PictureBox {
  public:
    explicit BoxPicture(BannerBox& box) : box_(box) {}
    bool ShowPicture(const std::string& bytes) override {
        banner::Picture picture = banner::LoadPictureBytes(bytes.data(), bytes.size());
        if (!picture) return false;
        box_.SetPicture(std::move(picture));
        return true;
    }

  private:
    BannerBox& box_;
};

// One banner load: its thread, the only one that touches the WinINet
// handles, and what it delivers. The thread writes `fields` once and then
// sets `described`, writes the image once and then sets `fetched`; the
// interface thread reads each only after its flag, and gives the load up
// with http.Cancel(). Both hold a reference, so that whichever lets go last
// frees it: a thread that outlives the window touches nothing but this.
struct Load final : banner::BannerSink {
    banner::HttpWin32 http;
    HWND notify = nullptr;
    std::atomic<bool> described{false};
    std::atomic<bool> fetched{false};  // image or not
    banner::BannerFields fields;
    bool hasImage = false;
    std::string fileName;
    std::string image;

    void DescriptionArrived(banner::BannerFields arrived) override {
        fields = std::move(arrived);
        described = true;
        Notify();
    }
    void ImageArrived(std::string name, std::string bytes) override {
        fileName = std::move(name);
        image = std::move(bytes);
        hasImage = true;
    }
    // Tells the window, unless the load was given up: the window may be
    // gone, and its handle another window's by now.
    void Notify() const {
        if (!http.Cancelled()) PostMessageA(notify, kMsgBannerArrived, 0, 0);
    }
};

// The load's thread: both fetches, given up when the load is cancelled.
// CreateThread rather than std::thread: the C++ thread pulls in the POSIX
// thread layer's thread objects and error categories, some 11 KB of
// Dovrane.exe for one detached worker.
DWORD WINAPI LoadThread(void* param) {
    std::unique_ptr<std::shared_ptr<Load>> owned(static_cast<std::shared_ptr<Load>*>(param));
    Load& load = **owned;
    // An exception leaving a thread ends the program: here it means no
    // banner.
    win32::Guard("banner",
                 [&] { banner::LoadBanner(load.http, banner::kDescriptionAddress, load); });
    load.fetched = true;
    load.Notify();
    return 0;
}

}  // namespace

struct BannerWin32::Parts {
    win32::ComScope com;  // first in, last out: the picture lives inside it
    files::FilesWin32 files;
    BannerBox picture1;
    BoxPicture shown{picture1};
    std::u16string folder = win32::ProgramFolder();
    banner::Banner banner{files, shown, folder};
    // While the banner is under way: the load, its thread (signalled when
    // it has ended) and when it started.
    std::shared_ptr<Load> load;
    win32::Handle worker;
    DWORD started = 0;
    bool linkTaken = false;
};

BannerWin32::BannerWin32() : parts_(std::make_unique<Parts>()) {}

BannerWin32::~BannerWin32() {
    Stop();
}

HWND BannerWin32::CreateBox(HWND parent, int id, const RECT& pixels) {
    return parts_->picture1.Create(parent, id, pixels);
}

void BannerWin32::Start(HWND notify) {
    // Out of memory or a thread that would not start: no banner today, and
    // the program starts all the same.
    win32::Guard("banner", [&] {
        // A program folder that cannot be determined means no banner at all:
        // its file would have nowhere of ours to go.
        if (parts_->load || parts_->folder.empty()) return;
        auto load = std::make_shared<Load>();
        load->notify = notify;
        auto forWorker = std::make_unique<std::shared_ptr<Load>>(load);
        win32::Handle worker(CreateThread(nullptr, 0, LoadThread, forWorker.get(), 0, nullptr));
        if (!worker) return;
        forWorker.release();  // the thread owns it now
        parts_->started = GetTickCount();
        parts_->load = std::move(load);
        parts_->worker = std::move(worker);
    });
}

void BannerWin32::WaitForBanner(unsigned graceMs) {
    if (!parts_->load) return;
    const DWORD spent = GetTickCount() - parts_->started;
    // The thread ends once the load is done.
    if (spent < graceMs) win32::WaitAnswering(parts_->worker.get(), graceMs - spent);
    TakeArrivals();
}

void BannerWin32::TakeArrivals() {
    Parts& p = *parts_;
    if (!p.load) return;
    win32::Guard("banner", [&] {
        Load& load = *p.load;
        if (!p.linkTaken && load.described) {
            p.linkTaken = true;
            p.banner.DescriptionArrived(std::move(load.fields));
        }
        if (!load.fetched) return;
        // The image, if any, is in; the banner is done, and the thread ends
        // by itself.
        const std::shared_ptr<Load> done = std::move(p.load);
        p.worker.reset();
        if (done->hasImage)
            p.banner.ImageArrived(std::move(done->fileName), std::move(done->image));
    });
}

void BannerWin32::Stop() {
    Parts& p = *parts_;
    if (!p.load) return;
    p.load->http.Cancel();
    // The transfer's handles are closed at once, so the thread ends within
    // moments; the window's end does not wait on one that does not.
    if (p.worker) win32::WaitAnswering(p.worker.get(), kStopWaitMs);
    p.worker.reset();
    p.load.reset();
}

void BannerWin32::Picture1_Click(shell::Shell& shell, shell::Prompter& prompter) const {
    parts_->banner.Picture1_Click(shell, prompter);
}

const std::string& BannerWin32::BannerLink() const {
    return parts_->banner.BannerLink();
}

}  // namespace ui
