#include "ui/BannerWin32.h"

#include <utility>

#include "app/resource.h"
#include "ui/HttpWin32.h"
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
        const SIZE size = PictureSize(picture_, dc.get());
        const RECT target = {0, 0, size.cx, size.cy};
        RenderPicture(picture_, dc.get(), target);
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

void BannerBox::SetPicture(Picture picture) {
    picture_ = std::move(picture);
    if (hwnd()) InvalidateRect(hwnd(), nullptr, TRUE);
}

namespace {

// The image file, written through CreateFileW: the path comes as UTF-8, so
// a program folder named in any script is written exactly.
class FileWriterWin32 final : public FileWriter {
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
};

class BoxPicture final : public PictureBox {
  public:
    explicit BoxPicture(BannerBox& box) : box_(box) {}
    bool LoadPicture(const std::string& path) override {
        Picture picture = LoadPictureFile(path);
        if (!picture) return false;
        box_.SetPicture(std::move(picture));
        return true;
    }

  private:
    BannerBox& box_;
};

}  // namespace

struct BannerWin32::Parts {
    win32::ComScope com;  // first in, last out: the picture lives inside it
    HttpWin32 inet1;
    FileWriterWin32 files;
    Banner banner{inet1, files, win32::Utf8(win32::ProgramFolder())};
    BannerBox picture1;
};

BannerWin32::BannerWin32() : parts_(std::make_unique<Parts>()) {}
BannerWin32::~BannerWin32() = default;

HWND BannerWin32::CreateBox(HWND parent, int id, const RECT& pixels) {
    return parts_->picture1.Create(parent, id, pixels);
}

void BannerWin32::LoadBanner() {
    BoxPicture box(parts_->picture1);
    // Out of memory or a thread that would not start: no banner today, and
    // the program starts all the same.
    win32::Guard("banner", [&] { parts_->banner.LoadBanner(box); });
}

void BannerWin32::Picture1_Click(Shell& shell, Prompter& prompter) const {
    parts_->banner.Picture1_Click(shell, prompter);
}

const std::string& BannerWin32::BannerLink() const {
    return parts_->banner.BannerLink();
}

}  // namespace ui
