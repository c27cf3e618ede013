#include "ui/BannerWin32.h"

#include <atomic>
#include <memory>
#include <string>
#include <utility>

#include "banner/HttpWin32.h"
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

// The banner's files, reached through the wide calls: paths come as UTF-8,
// so a program folder named in any script is reached exactly.
class FileWriterWin32 final : public banner::FileWriter {
  public:
    bool WriteWhole(const std::string& path, const std::string& bytes) override {
        const std::u16string wide = win32::FromUtf8(path);
        if (wide.empty()) return false;
        // CREATE_ALWAYS cuts an existing file to nothing first: an older,
        // longer banner leaves no tail behind the new one.
        win32::File file(CreateFileW(win32::Wide(wide), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD written = 0;
        bool ok = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                            nullptr) != FALSE &&
                  written == bytes.size();
        // A close that fails may have lost what the write buffered.
        ok = file.reset() && ok;
        if (!ok) DeleteFileW(win32::Wide(wide));  // no half banner for the loader
        return ok;
    }

    bool Exists(const std::string& path) override {
        const std::u16string wide = win32::FromUtf8(path);
        if (wide.empty()) return true;  // no name we can look at is ours to write
        if (GetFileAttributesW(win32::Wide(wide)) != INVALID_FILE_ATTRIBUTES) return true;
        // Only "no such file" says it is free; a name we may not look at
        // is not ours to write.
        const DWORD error = GetLastError();
        return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
    }

    bool ReadAll(const std::string& path, std::string* bytes) override {
        bytes->clear();
        const std::u16string wide = win32::FromUtf8(path);
        if (wide.empty()) return false;
        win32::File file(CreateFileW(win32::Wide(wide), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return GetLastError() == ERROR_FILE_NOT_FOUND;
        DWORD high = 0;
        const DWORD size = GetFileSize(file.get(), &high);
        // A list of some thousand names; anything much larger is not ours.
        if (size == INVALID_FILE_SIZE || high != 0 || size > kMaxListBytes) return false;
        bytes->resize(size);
        DWORD got = 0;
        return size == 0 ||
               (ReadFile(file.get(), &(*bytes)[0], size, &got, nullptr) != FALSE && got == size);
    }

    bool Append(const std::string& path, const std::string& bytes) override {
        const std::u16string wide = win32::FromUtf8(path);
        if (wide.empty()) return false;
        win32::File file(CreateFileW(win32::Wide(wide), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD high = 0;
        const DWORD size = GetFileSize(file.get(), &high);
        if (size == INVALID_FILE_SIZE || high != 0 ||
            SetFilePointer(file.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER) {
            return false;
        }
        DWORD written = 0;
        bool ok = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                            nullptr) != FALSE &&
                  written == bytes.size();
        // Half a line would be a name cut short: the list goes back to what
        // it was.
        if (!ok && SetFilePointer(file.get(), static_cast<LONG>(size), nullptr, FILE_BEGIN) !=
                       INVALID_SET_FILE_POINTER) {
            SetEndOfFile(file.get());
        }
        return file.reset() && ok;
    }

    bool Remove(const std::string& path) override {
        const std::u16string wide = win32::FromUtf8(path);
        if (wide.empty()) return false;
        // Only a file whose own long name is the one asked for: a search by
        // name also finds a file whose 8.3 alias matches, and that one is
        // not ours.
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW(win32::Wide(wide), &found);
        if (search == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        }
        FindClose(search);
        const std::size_t slash = wide.find_last_of(u'\\');
        const std::u16string name = wide.substr(slash == std::u16string::npos ? 0 : slash + 1);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
            lstrcmpiW(found.cFileName, win32::Wide(name)) != 0)
            return false;
        return DeleteFileW(win32::Wide(wide)) != FALSE;
    }

  private:
    static constexpr DWORD kMaxListBytes = 256 * 1024;
};

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
    FileWriterWin32 files;
    BannerBox picture1;
    BoxPicture shown{picture1};
    std::string folder = win32::Utf8(win32::ProgramFolder());
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
