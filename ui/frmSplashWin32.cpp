#include "ui/frmSplashWin32.h"

#include <string>

#include "ui/frmSplash.h"
#include "ui/resource.h"

namespace ui {

namespace {
// The palette entry the logo's transparent white takes (app/res/make_logo.py).
constexpr UINT kLogoClearIndex = 0;
}  // namespace

frmSplash::frmSplash() = default;

frmSplash::~frmSplash() {
    Unload();
}

void frmSplash::Show(HWND owner) {
    if (shown_) return;
    shown_ = true;
    const int dpi = ScreenDpi();
    // A fixed dialog frame and no title bar. Owned windows get no taskbar
    // button.
    const DWORD style = WS_POPUP | WS_DLGFRAME | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME;
    RECT frame = {0, 0, TwipsToPixels(kSplashWidthTwips, dpi),
                  TwipsToPixels(kSplashHeightTwips, dpi)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    if (!Create(exStyle, "", style, x, y, width, height, owner, nullptr)) return;
    CreateControls();
    Form_Load();
    // Shown, then made the active window, which has the keyboard: to the
    // user the same as showing it active at once. Wine, though, takes a
    // caption-less popup shown active for a window its window manager looks
    // after, and waits for that manager (up to 2 s where there is none)
    // when it goes; shown this way it is Wine's own and goes at once.
    ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    SetForegroundWindow(hwnd());
    // Painted now, frame and labels alike: the rest of the load comes next
    // and lets no painting through.
    RedrawWindow(hwnd(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW);
}

void frmSplash::CreateControls() {
    const int dpi = ScreenDpi();
    const RECT frame =
        PixelRect(*FindRow(kSplashControls, kSplashFrame1), {{0, 0}, dpi, Snap::Size});
    logo_.reset(
        static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_LOGO),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    for (const LayoutRow& row : kSplashControls) {
        const POINT origin = row.page == Page::Frame ? POINT{frame.left, frame.top} : POINT{0, 0};
        // Frame1 is drawn here with its inside (a stock etched frame draws
        // only its edge). SS_NOTIFY makes the frame, the logo and every label
        // take clicks; a plain static lets them through to the window.
        HWND w = CreateControl(hwnd(), row, {origin, dpi, Snap::Size}, fonts_,
                               WS_CLIPSIBLINGS | SS_NOTIFY);
        controls_[row.id] = w;
        // Each new control goes in front of the ones before it.
        SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void frmSplash::Form_Load() {
    for (const auto& [id, text] : SplashLoadTexts()) SetLabelText(id, text);
}

void frmSplash::SetLabelText(int id, const std::string& text) {
    HWND label = controls_[id];
    const LayoutRow* row = FindRow(kSplashControls, id);
    if (!label || !row) return;
    SetWindowTextA(label, text.c_str());
    if (row->kind != ControlKind::AutoSizeLabel) return;

    // A self-sizing label takes the size of its text and keeps the edge its
    // text is aligned to.
    RECT need = {0, 0, 0, 0};
    {
        win32::WindowDc dc(label);
        win32::Selection font(dc.get(),
                              reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
        DrawTextA(dc.get(), text.c_str(), -1, &need, DT_CALCRECT | DT_NOPREFIX);
    }

    RECT now;
    GetWindowRect(label, &now);
    MapWindowPoints(HWND_DESKTOP, hwnd(), reinterpret_cast<POINT*>(&now), 2);
    const int width = need.right - need.left;
    const int left = row->align == Align::Right ? now.right - width : now.left;
    SetWindowPos(label, nullptr, left, now.top, width, need.bottom - need.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmSplash::Unload() {
    if (hwnd()) DestroyWindow(hwnd());  // WM_NCDESTROY forgets the handle
}

void frmSplash::Form_KeyPress() {
    Unload();
}

void frmSplash::Frame1_Click() {
    Unload();
}

void frmSplash::DrawFrame(const DRAWITEMSTRUCT& item) const {
    RECT r = item.rcItem;
    FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(item.hDC, &r, EDGE_ETCHED, BF_RECT);
}

void frmSplash::DrawLogo(const DRAWITEMSTRUCT& item) const {
    const RECT& r = item.rcItem;
    BITMAP logo = {};
    if (!logo_ || !GetObjectA(logo_.get(), sizeof logo, &logo)) {
        FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    // The logo's transparent white shows the button face, whatever colour
    // that is now; stretched to the control, not kept in proportion.
    win32::MemoryDc source(item.hDC);
    win32::Selection selected(source.get(), logo_.get());
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const RGBQUAD clear = {GetBValue(face), GetGValue(face), GetRValue(face), 0};
    SetDIBColorTable(source.get(), kLogoClearIndex, 1, &clear);
    StretchBlt(item.hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, source.get(), 0, 0,
               logo.bmWidth, logo.bmHeight, SRCCOPY);
}

LRESULT frmSplash::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CHAR:
            Form_KeyPress();
            return 0;
        case WM_COMMAND:
            // Frame1, imgLogo and every label: STN_CLICKED (0) and
            // STN_DBLCLK (1) from a static with SS_NOTIFY.
            if (HIWORD(wp) == STN_CLICKED || HIWORD(wp) == STN_DBLCLK) {
                const int id = LOWORD(wp);
                if (id >= kSplashFrame1 && id <= kSplashLblCompanyProduct) {
                    Frame1_Click();
                    return 0;
                }
            }
            break;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (item->CtlID == kSplashImgLogo) {
                DrawLogo(*item);
                return TRUE;
            }
            if (item->CtlID == kSplashFrame1) {
                DrawFrame(*item);
                return TRUE;
            }
            break;
        }
        case WM_NCDESTROY:
            controls_.clear();
            break;
    }
    return Default(msg, wp, lp);
}

}  // namespace ui
