#include "ui/LayoutWin32.h"

#include <commctrl.h>

#include <cmath>
#include <cstring>

#include "ui/resource.h"

namespace ui {

int ScreenDpi() {
    win32::WindowDc dc(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

win32::Font MakeFont(const char* face, double points, int weight, bool underline, bool italic) {
    LOGFONTA lf = {};
    lf.lfHeight = -static_cast<LONG>(std::lround(points * ScreenDpi() / 72.0));
    lf.lfWeight = weight;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfItalic = italic ? TRUE : FALSE;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    return win32::Font(CreateFontIndirectA(&lf));
}

HFONT FontSet::Get(const FontSpec& wanted) {
    for (const Entry& e : fonts_) {
        if (std::strcmp(e.style.face, wanted.face) == 0 && e.style.points == wanted.points &&
            e.style.bold == wanted.bold && e.style.underline == wanted.underline) {
            return e.font.get();
        }
    }
    fonts_.push_back({wanted, MakeFont(wanted.face, wanted.points,
                                       wanted.bold ? FW_BOLD : FW_NORMAL, wanted.underline)});
    return fonts_.back().font.get();
}

RECT PixelRect(const LayoutRow& row, const Placement& at) {
    const TwipsRect& r = row.rect;
    const int left = at.origin.x + TwipsToPixels(r.left, at.dpi);
    const int top = at.origin.y + TwipsToPixels(r.top, at.dpi);
    if (at.snap == Snap::Size) {
        return {left, top, left + TwipsToPixels(r.width, at.dpi),
                top + TwipsToPixels(r.height, at.dpi)};
    }
    return {left, top, at.origin.x + TwipsToPixels(r.left + r.width, at.dpi),
            at.origin.y + TwipsToPixels(r.top + r.height, at.dpi)};
}

namespace {

struct ClassAndStyle {
    const char* windowClass;
    DWORD style;
};

ClassAndStyle ClassOf(const LayoutRow& row) {
    const DWORD align = row.align == Align::Right ? SS_RIGHT : SS_LEFT;
    switch (row.kind) {
        case ControlKind::TabControl:
            // Clip the controls that stand on the tab, or it paints over them.
            return {WC_TABCONTROLA, WS_CLIPSIBLINGS | WS_TABSTOP};
        case ControlKind::CheckBox:
            // Not BS_AUTOCHECKBOX: the box's value changes through its
            // CheckBox so that clicks and code run the same handler.
            return {"BUTTON", WS_TABSTOP | BS_CHECKBOX};
        case ControlKind::Button:
            return {"BUTTON", WS_TABSTOP | BS_PUSHBUTTON};
        case ControlKind::DefaultButton:
            return {"BUTTON", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON};
        case ControlKind::Link:
            return {"STATIC", SS_NOTIFY | align};
        case ControlKind::Label:
        case ControlKind::AutoSizeLabel:
            // SS_NOPREFIX: an "&" in a text is shown, not taken as an accelerator.
            return {"STATIC", SS_NOPREFIX | align};
        case ControlKind::Frame:
        case ControlKind::Image:
            return {"STATIC", SS_OWNERDRAW};
        case ControlKind::Icon:
            return {"STATIC", SS_ICON};
        case ControlKind::CheckedList:
        case ControlKind::Picture:
            break;
    }
    return {nullptr, 0};
}

}  // namespace

HWND CreateControl(HWND parent, const LayoutRow& row, const Placement& at, FontSet& fonts,
                   DWORD extraStyle) {
    const ClassAndStyle cs = ClassOf(row);
    if (!cs.windowClass) return nullptr;
    const HINSTANCE inst = GetModuleHandleA(nullptr);
    const RECT r = PixelRect(row, at);
    HWND control = CreateWindowExA(
        0, cs.windowClass, row.caption, WS_CHILD | WS_VISIBLE | cs.style | extraStyle, r.left,
        r.top, r.right - r.left, r.bottom - r.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), inst, nullptr);
    if (!control) return nullptr;
    const HFONT font = row.font.face
                           ? fonts.Get(row.font)
                           : reinterpret_cast<HFONT>(SendMessageA(parent, WM_GETFONT, 0, 0));
    if (font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (row.kind == ControlKind::Icon) {
        // Icons from the executable are shared: never destroyed.
        HICON icon = LoadIconA(inst, MAKEINTRESOURCEA(IDI_DOVRANE));
        SendMessageA(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    }
    return control;
}

}  // namespace ui
