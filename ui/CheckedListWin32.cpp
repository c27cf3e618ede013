#include "ui/CheckedListWin32.h"

#include <uxtheme.h>
#include <vsstyle.h>

#include <algorithm>
#include <cstring>

namespace ui {

namespace {

// Item layout, in pixels: a margin, the check box, a gap, the text, and a
// little room after the text so its last letter is not against the border.
constexpr int kLeftMargin = 2;
constexpr int kGap = 4;
constexpr int kRightMargin = 4;
constexpr int kCheckSizeAt96Dpi = 13;

class WindowDc {
  public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HWND hwnd_;
    HDC dc_;
};

class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (old_) SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

template <typename Fn>
Fn Proc(HMODULE module, const char* name) {
    FARPROC proc = GetProcAddress(module, name);
    Fn fn = nullptr;
    static_assert(sizeof fn == sizeof proc, "function pointers of one size");
    std::memcpy(&fn, &proc, sizeof fn);
    return fn;
}

HFONT DefaultFont() {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace

// The visual style's check box. uxtheme is looked up at run time, so that
// the program also runs where it is missing; without it, or with the
// classic look, the check boxes are drawn by DrawFrameControl.
struct CheckedListWin32::Theme {
    using OpenThemeDataFn = HTHEME(WINAPI*)(HWND, LPCWSTR);
    using CloseThemeDataFn = HRESULT(WINAPI*)(HTHEME);
    using DrawThemeBackgroundFn = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*);

    Theme() : module(LoadLibraryA("uxtheme.dll")) {
        if (!module) return;
        open = Proc<OpenThemeDataFn>(module, "OpenThemeData");
        close = Proc<CloseThemeDataFn>(module, "CloseThemeData");
        draw = Proc<DrawThemeBackgroundFn>(module, "DrawThemeBackground");
    }
    ~Theme() {
        Close();
        if (module) FreeLibrary(module);
    }
    Theme(const Theme&) = delete;
    Theme& operator=(const Theme&) = delete;

    // Null when themes are off: the classic look.
    void Open(HWND hwnd) {
        Close();
        if (open && close && draw) theme = open(hwnd, L"BUTTON");
    }
    void Close() {
        if (theme) close(theme);
        theme = nullptr;
    }
    bool Draw(HDC dc, int state, const RECT& box) const {
        return theme && SUCCEEDED(draw(theme, dc, BP_CHECKBOX, state, &box, nullptr));
    }

    HMODULE module;
    OpenThemeDataFn open = nullptr;
    CloseThemeDataFn close = nullptr;
    DrawThemeBackgroundFn draw = nullptr;
    HTHEME theme = nullptr;
};

CheckedListWin32::CheckedListWin32(RunListTab& tab) : tab_(tab), theme_(std::make_unique<Theme>()) {
    tab_.AttachView(this);
}

CheckedListWin32::~CheckedListWin32() {
    tab_.AttachView(nullptr);
    // Still there when the parent outlives us: WM_NCDESTROY unhooks it.
    if (hwnd_) DestroyWindow(hwnd_);
}

bool CheckedListWin32::Create(HWND parent, const RECT& rect, int id, HFONT font) {
    if (hwnd_) return false;
    id_ = id;
    font_ = font ? font : DefaultFont();
    // WM_MEASUREITEM comes to the parent from inside CreateWindowEx: id_ and
    // font_ are set before, so OnMeasureItem can answer it.
    hwnd_ = CreateWindowExA(0, "LISTBOX", "",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL |
                                WS_HSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY,
                            rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                            parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)),
                            nullptr);
    if (!hwnd_) {
        id_ = 0;
        return false;
    }
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    listBoxProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListProc)));
    theme_->Open(hwnd_);
    // Through our own handler: sets the item height too, whether or not the
    // parent routed WM_MEASUREITEM during the creation.
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return true;
}

void CheckedListWin32::SetFont(HFONT font) {
    if (hwnd_) {
        SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    } else {
        font_ = font ? font : DefaultFont();
    }
}

int CheckedListWin32::CheckSize() const {
    WindowDc dc(nullptr);
    return MulDiv(kCheckSizeAt96Dpi, GetDeviceCaps(dc.get(), LOGPIXELSY), 96);
}

int CheckedListWin32::ItemHeight() const {
    WindowDc dc(nullptr);
    SelectedObject font(dc.get(), font_);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc.get(), &metrics);
    return std::max<int>(metrics.tmHeight, CheckSize()) + 2;
}

int CheckedListWin32::TextLeft() const {
    return kLeftMargin + CheckSize() + kGap;
}

RECT CheckedListWin32::CheckBoxRect(const RECT& item) const {
    const int size = CheckSize();
    RECT box;
    box.left = item.left + kLeftMargin;
    box.top = item.top + (item.bottom - item.top - size) / 2;
    box.right = box.left + size;
    box.bottom = box.top + size;
    return box;
}

int CheckedListWin32::EntryWidth(const std::string& text) {
    WindowDc dc(hwnd_);
    SelectedObject font(dc.get(), font_);
    SIZE size = {};
    GetTextExtentPoint32A(dc.get(), text.data(), static_cast<int>(text.size()), &size);
    return TextLeft() + size.cx + kRightMargin;
}

void CheckedListWin32::SetHorizontalExtent(int pixels) {
    if (hwnd_) SendMessageA(hwnd_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(pixels), 0);
}

void CheckedListWin32::ShowEntries() {
    if (!hwnd_) return;
    SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0);
    for (const RunListEntry& entry : tab_.Entries()) {
        SendMessageA(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.text.c_str()));
    }
    SendMessageA(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(tab_.CurrentEntry()), 0);
    SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void CheckedListWin32::ShowChecks() {
    if (!hwnd_) return;
    SendMessageA(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(tab_.CurrentEntry()), 0);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

bool CheckedListWin32::OnMeasureItem(MEASUREITEMSTRUCT& measure) {
    if (id_ == 0 || measure.CtlType != ODT_LISTBOX || static_cast<int>(measure.CtlID) != id_) {
        return false;
    }
    measure.itemHeight = static_cast<UINT>(ItemHeight());
    return true;
}

void CheckedListWin32::DrawCheckBox(HDC dc, const RECT& box, bool checked, bool disabled) {
    const int state = checked ? (disabled ? CBS_CHECKEDDISABLED : CBS_CHECKEDNORMAL)
                              : (disabled ? CBS_UNCHECKEDDISABLED : CBS_UNCHECKEDNORMAL);
    if (theme_->Draw(dc, state, box)) return;
    RECT classic = box;
    DrawFrameControl(
        dc, &classic, DFC_BUTTON,
        DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0) | (disabled ? DFCS_INACTIVE : 0));
}

bool CheckedListWin32::OnDrawItem(const DRAWITEMSTRUCT& draw) {
    if (!hwnd_ || draw.CtlType != ODT_LISTBOX || draw.hwndItem != hwnd_) return false;
    const HDC dc = draw.hDC;
    const bool focus = (draw.itemState & ODS_FOCUS) && !(draw.itemState & ODS_NOFOCUSRECT);
    const auto& entries = tab_.Entries();
    const int index = static_cast<int>(draw.itemID);
    if (index < 0 || index >= static_cast<int>(entries.size())) {
        // An empty list that has the focus still shows where it is.
        if (focus) DrawFocusRect(dc, &draw.rcItem);
        return true;
    }

    // rcItem is in the DC's coordinates, which already carry the sideways
    // scroll (in the rectangle or in the DC's origin). It may end short of
    // the client's right edge, so the row is filled out to there.
    RECT client;
    GetClientRect(hwnd_, &client);
    RECT row = draw.rcItem;
    row.right = std::max(row.right, client.right);

    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    const bool disabled = (draw.itemState & ODS_DISABLED) != 0;
    FillRect(dc, &row, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    DrawCheckBox(dc, CheckBoxRect(draw.rcItem), entries[index].checked, disabled);

    SelectedObject font(dc, font_);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = SetTextColor(dc, GetSysColor(disabled   ? COLOR_GRAYTEXT
                                                           : selected ? COLOR_HIGHLIGHTTEXT
                                                                      : COLOR_WINDOWTEXT));
    RECT text = row;
    text.left = draw.rcItem.left + TextLeft();
    const std::string& entry = entries[index].text;
    DrawTextA(dc, entry.data(), static_cast<int>(entry.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);

    // The whole row is painted on every call, ODA_FOCUS included, so the
    // focus rectangle is drawn afresh rather than toggled.
    if (focus) DrawFocusRect(dc, &row);
    return true;
}

bool CheckedListWin32::OnCommand(WPARAM wp, LPARAM lp) {
    if (!hwnd_ || reinterpret_cast<HWND>(lp) != hwnd_ || LOWORD(wp) != id_) return false;
    if (HIWORD(wp) == LBN_SELCHANGE) {
        tab_.SetCurrentEntry(static_cast<int>(SendMessageA(hwnd_, LB_GETCURSEL, 0, 0)));
    }
    return true;
}

bool CheckedListWin32::ItemOnScreen(int index, RECT* item) const {
    if (SendMessageA(hwnd_, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(item)) == LB_ERR) {
        return false;
    }
    // A list box scrolled sideways either moves its item rectangles left or
    // leaves them where they were and moves the DC's origin when it paints
    // (Wine does the latter). Items are drawn right either way, as they are
    // drawn into that DC; a click in client coordinates needs the rectangle
    // moved. The two cases differ only while the list is scrolled.
    const int scrolled = GetScrollPos(hwnd_, SB_HORZ);
    if (item->left == 0 && scrolled > 0) OffsetRect(item, -scrolled, 0);
    return true;
}

int CheckedListWin32::CheckBoxAt(LPARAM pointLp) const {
    const POINT point = {static_cast<short>(LOWORD(pointLp)), static_cast<short>(HIWORD(pointLp))};
    const LRESULT hit = SendMessageA(hwnd_, LB_ITEMFROMPOINT, 0, pointLp);
    if (HIWORD(hit) != 0) return -1;  // below the last entry
    const int index = LOWORD(hit);
    RECT item;
    if (!ItemOnScreen(index, &item)) return -1;
    // The whole column in front of the text counts, not just the 13 pixels
    // of the box: easier to hit, and nothing else lives there.
    RECT column = item;
    column.right = item.left + TextLeft();
    return PtInRect(&column, point) ? index : -1;
}

void CheckedListWin32::Toggle(int index) {
    const auto& entries = tab_.Entries();
    if (index < 0 || index >= static_cast<int>(entries.size())) return;
    tab_.SetChecked(index, !entries[index].checked);
    RECT row;
    if (SendMessageA(hwnd_, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&row)) != LB_ERR) {
        RECT client;
        GetClientRect(hwnd_, &client);
        row.left = client.left;
        row.right = client.right;
        InvalidateRect(hwnd_, &row, FALSE);
    }
}

LRESULT CALLBACK CheckedListWin32::ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<CheckedListWin32*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    try {
        return self->OnListMessage(msg, wp, lp);
    } catch (...) {
        return 0;  // nothing may escape into Windows
    }
}

LRESULT CheckedListWin32::OnListMessage(UINT msg, WPARAM wp, LPARAM lp) {
    const HWND hwnd = hwnd_;
    const WNDPROC listBoxProc = listBoxProc_;
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            // The list box selects the entry and takes the focus as for any
            // click; a click on the check box also toggles it. A double click
            // toggles twice, as on a real check box. The box is found before
            // the list box may scroll a half-shown entry into view.
            const int index = CheckBoxAt(lp);
            const LRESULT result = CallWindowProcA(listBoxProc, hwnd, msg, wp, lp);
            if (index >= 0) Toggle(index);
            return result;
        }
        case WM_KEYDOWN:
            if (wp == VK_SPACE) {
                Toggle(static_cast<int>(SendMessageA(hwnd, LB_GETCARETINDEX, 0, 0)));
                return 0;
            }
            break;
        case WM_CHAR:
            // Not a search for an entry starting with a blank.
            if (wp == ' ') return 0;
            break;
        case WM_SETFONT: {
            font_ = wp ? reinterpret_cast<HFONT>(wp) : DefaultFont();
            const LRESULT result = CallWindowProcA(listBoxProc, hwnd, msg, wp, lp);
            SendMessageA(hwnd, LB_SETITEMHEIGHT, 0, ItemHeight());
            if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, TRUE);
            return result;
        }
        case WM_THEMECHANGED:
            theme_->Open(hwnd);
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listBoxProc));
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            theme_->Close();
            hwnd_ = nullptr;
            listBoxProc_ = nullptr;
            id_ = 0;
            break;
    }
    return CallWindowProcA(listBoxProc, hwnd, msg, wp, lp);
}

}  // namespace ui
