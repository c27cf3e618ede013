#include "ui/BannerWin32.h"

#include <utility>

#include "app/resource.h"
#include "ui/GdiWin32.h"
#include "ui/HttpWin32.h"

namespace ui {

namespace {

constexpr char kBannerClass[] = "DovraneBanner";

// What a box window owns: its picture and whether a click is under way.
struct BoxState {
    Picture picture;
    bool pressed = false;
};

BoxState* StateOf(HWND hwnd) {
    return reinterpret_cast<BoxState*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    if (BoxState* state = StateOf(hwnd); state && state->picture) {
        // At its own size from the top-left corner; the box clips the rest.
        const SIZE size = PictureSize(state->picture, dc);
        const RECT target = {0, 0, size.cx, size.cy};
        RenderPicture(state->picture, dc, target);
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK BoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        switch (msg) {
            case WM_NCCREATE: {
                auto state = std::make_unique<BoxState>();
                SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.release()));
                break;
            }
            case WM_NCDESTROY: {
                std::unique_ptr<BoxState> state(StateOf(hwnd));
                SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
                break;
            }
            case WM_ERASEBKGND:
                return 1;  // WM_PAINT fills the whole box
            case WM_PAINT:
                Paint(hwnd);
                return 0;
            case WM_LBUTTONDOWN:
                if (BoxState* state = StateOf(hwnd)) {
                    state->pressed = true;
                    SetCapture(hwnd);
                }
                return 0;
            case WM_LBUTTONUP: {
                BoxState* state = StateOf(hwnd);
                if (!state || !state->pressed) return 0;
                state->pressed = false;
                ReleaseCapture();
                RECT client;
                GetClientRect(hwnd, &client);
                const POINT at = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
                // A click counts where the button is let go over the box.
                if (PtInRect(&client, at)) {
                    SendMessageA(GetParent(hwnd), WM_COMMAND,
                                 MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                                 reinterpret_cast<LPARAM>(hwnd));
                }
                return 0;
            }
            case WM_CAPTURECHANGED:
                if (BoxState* state = StateOf(hwnd)) state->pressed = false;
                return 0;
        }
    } catch (...) {
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void RegisterBox() {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    if (GetClassInfoA(inst, kBannerClass, &wc)) return;
    wc.lpfnWndProc = BoxProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorA(inst, MAKEINTRESOURCEA(IDC_HAND_POINTER));
    if (!wc.hCursor) wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.lpszClassName = kBannerClass;
    RegisterClassA(&wc);
}

// The image file, written through CreateFileA.
class FileWriterWin32 final : public FileWriter {
  public:
    bool WriteWhole(const std::string& path, const std::string& bytes) override {
        // CREATE_ALWAYS cuts an existing file to nothing first: an older,
        // longer banner leaves no tail behind the new one.
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                            nullptr) != FALSE &&
                  written == bytes.size();
        ok = CloseHandle(file) != FALSE && ok;
        if (!ok) DeleteFileA(path.c_str());  // no half banner for the loader
        return ok;
    }
};

class BoxPicture final : public PictureBox {
  public:
    explicit BoxPicture(HWND box) : box_(box) {}
    bool LoadPicture(const std::string& path) override {
        Picture picture = LoadPictureFile(path);
        if (!picture) return false;
        SetBannerPicture(box_, std::move(picture));
        return true;
    }

  private:
    HWND box_;
};

}  // namespace

HWND CreateBannerBox(HWND parent, int id, const RECT& pixels) {
    RegisterBox();
    return CreateWindowExA(
        WS_EX_CLIENTEDGE, kBannerClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, pixels.left,
        pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

void SetBannerPicture(HWND box, Picture picture) {
    BoxState* state = box ? StateOf(box) : nullptr;
    if (!state) return;
    state->picture = std::move(picture);
    InvalidateRect(box, nullptr, TRUE);
}

struct BannerWin32::Parts {
    ComScope com;  // first in, last out: the picture lives inside it
    HttpWin32 inet1;
    FileWriterWin32 files;
    Banner banner{inet1, files, ProgramFolder()};
};

BannerWin32::BannerWin32() : parts_(std::make_unique<Parts>()) {}
BannerWin32::~BannerWin32() = default;

void BannerWin32::LoadBanner(HWND picture1) {
    BoxPicture box(picture1);
    try {
        parts_->banner.LoadBanner(box);
    } catch (...) {
        // Out of memory or a thread that would not start: no banner today.
    }
}

void BannerWin32::Picture1_Click(Shell& shell, Prompter& prompter) const {
    parts_->banner.Picture1_Click(shell, prompter);
}

const std::string& BannerWin32::BannerLink() const {
    return parts_->banner.BannerLink();
}

}  // namespace ui
