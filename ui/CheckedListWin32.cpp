#include "ui/CheckedListWin32.h"

#include <uxtheme.h>
#include <vsstyle.h>

#include <algorithm>
#include <cstring>

#include "win32/Handles.h"
#include "win32/Utf16.h"

namespace ui {

namespace {

// Item layout, in pixels: a margin, the check box, a gap, the text, and a
// little room after the text so its last letter is not against the border.
constexpr int kLeftMargin = 2;
constexpr int kGap = 4;
constexpr int kRightMargin = 4;
constexpr int kCheckSizeAt96Dpi = 13;

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

    Theme() : module(win32::LoadUxTheme()) {
        open = win32::ProcAddress<OpenThemeDataFn>(module.get(), "OpenThemeData");
        close = win32::ProcAddress<CloseThemeDataFn>(module.get(), "CloseThemeData");
        draw = win32::ProcAddress<DrawThemeBackgroundFn>(module.get(), "DrawThemeBackground");
    }
    ~Theme() { Close(); }
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

    win32::Module module;
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
    if (hwnd()) DestroyWindow(hwnd());
}

bool CheckedListWin32::Create(HWND parent, const RECT& rect, int id, HFONT font) {
    if (hwnd()) return false;
    id_ = id;
    font_ = font ? font : DefaultFont();
    // WM_MEASUREITEM comes to the parent from inside CreateWindowEx: id_ and
    // font_ are set before, so OnMeasureItem can answer it.
    // A wide list box: its entries are the commands exactly, in any script.
    HWND list = CreateWindowExW(
        0, L"LISTBOX", L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL |
            LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY,
        rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)), nullptr);
    if (!list) {
        id_ = 0;
        return false;
    }
    Subclass(list);
    theme_->Open(list);
    // Through our own handler: sets the item height too, whether or not the
    // parent routed WM_MEASUREITEM during the creation.
    SendMessageA(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return true;
}

void CheckedListWin32::SetFont(HFONT font) {
    if (hwnd()) {
        SendMessageA(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    } else {
        font_ = font ? font : DefaultFont();
    }
}

int CheckedListWin32::CheckSize() const {
    win32::WindowDc dc(nullptr);
    return MulDiv(kCheckSizeAt96Dpi, GetDeviceCaps(dc.get(), LOGPIXELSY), 96);
}

int CheckedListWin32::ItemHeight() const {
    win32::WindowDc dc(nullptr);
    win32::Selection font(dc.get(), font_);
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

int CheckedListWin32::EntryWidth(const std::u16string& text) {
    win32::WindowDc dc(hwnd());
    win32::Selection font(dc.get(), font_);
    SIZE size = {};
    GetTextExtentPoint32W(dc.get(), win32::Wide(text), static_cast<int>(text.size()), &size);
    return TextLeft() + size.cx + kRightMargin;
}

void CheckedListWin32::SetHorizontalExtent(int pixels) {
    if (hwnd()) SendMessageA(hwnd(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(pixels), 0);
}

void CheckedListWin32::ShowEntries() {
    if (!hwnd()) return;
    SendMessageA(hwnd(), WM_SETREDRAW, FALSE, 0);
    SendMessageA(hwnd(), LB_RESETCONTENT, 0, 0);
    for (const RunListEntry& entry : tab_.Entries()) {
        SendMessageW(hwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::Wide(entry.text)));
    }
    SendMessageA(hwnd(), LB_SETCURSEL, static_cast<WPARAM>(tab_.CurrentEntry()), 0);
    SendMessageA(hwnd(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void CheckedListWin32::ShowChecks() {
    if (!hwnd()) return;
    SendMessageA(hwnd(), LB_SETCURSEL, static_cast<WPARAM>(tab_.CurrentEntry()), 0);
    InvalidateRect(hwnd(), nullptr, FALSE);
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
    if (!hwnd() || draw.CtlType != ODT_LISTBOX || draw.hwndItem != hwnd()) return false;
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
    GetClientRect(hwnd(), &client);
    RECT row = draw.rcItem;
    row.right = std::max(row.right, client.right);

    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    const bool disabled = (draw.itemState & ODS_DISABLED) != 0;
    FillRect(dc, &row, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    DrawCheckBox(dc, CheckBoxRect(draw.rcItem), entries[index].checked, disabled);

    win32::Selection font(dc, font_);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = SetTextColor(dc, GetSysColor(disabled   ? COLOR_GRAYTEXT
                                                           : selected ? COLOR_HIGHLIGHTTEXT
                                                                      : COLOR_WINDOWTEXT));
    RECT text = row;
    text.left = draw.rcItem.left + TextLeft();
    const std::u16string& entry = entries[index].text;
    DrawTextW(dc, win32::Wide(entry), static_cast<int>(entry.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);

    // The whole row is painted on every call, ODA_FOCUS included, so the
    // focus rectangle is drawn afresh rather than toggled.
    if (focus) DrawFocusRect(dc, &row);
    return true;
}

bool CheckedListWin32::OnCommand(WPARAM wp, LPARAM lp) {
    if (!hwnd() || reinterpret_cast<HWND>(lp) != hwnd() || LOWORD(wp) != id_) return false;
    if (HIWORD(wp) == LBN_SELCHANGE) {
        tab_.SetCurrentEntry(static_cast<int>(SendMessageA(hwnd(), LB_GETCURSEL, 0, 0)));
    }
    return true;
}

bool CheckedListWin32::ItemOnScreen(int index, RECT* item) const {
    if (SendMessageA(hwnd(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(item)) == LB_ERR) {
        return false;
    }
    // A list box scrolled sideways either moves its item rectangles left or
    // leaves them where they were and moves the DC's origin when it paints
    // (Wine does the latter). Items are drawn right either way, as they are
    // drawn into that DC; a click in client coordinates needs the rectangle
    // moved. The two cases differ only while the list is scrolled.
    const int scrolled = GetScrollPos(hwnd(), SB_HORZ);
    if (item->left == 0 && scrolled > 0) OffsetRect(item, -scrolled, 0);
    return true;
}

int CheckedListWin32::CheckBoxAt(LPARAM pointLp) const {
    const POINT point = {static_cast<short>(LOWORD(pointLp)), static_cast<short>(HIWORD(pointLp))};
    const LRESULT hit = SendMessageA(hwnd(), LB_ITEMFROMPOINT, 0, pointLp);
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
    if (SendMessageA(hwnd(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&row)) != LB_ERR) {
        RECT client;
        GetClientRect(hwnd(), &client);
        row.left = client.left;
        row.right = client.right;
        InvalidateRect(hwnd(), &row, FALSE);
    }
}

LRESULT CheckedListWin32::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    const HWND hwnd = this->hwnd();
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            // The list box selects the entry and takes the focus as for any
            // click; a click on the check box also toggles it. A double click
            // toggles twice, as on a real check box. The box is found before
            // the list box may scroll a half-shown entry into view.
            const int index = CheckBoxAt(lp);
            const LRESULT result = Default(msg, wp, lp);
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
            const LRESULT result = Default(msg, wp, lp);
            SendMessageA(hwnd, LB_SETITEMHEIGHT, 0, ItemHeight());
            if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, TRUE);
            return result;
        }
        case WM_THEMECHANGED:
            theme_->Open(hwnd);
            break;
        case WM_NCDESTROY:
            theme_->Close();
            id_ = 0;
            break;
    }
    return Default(msg, wp, lp);
}

}  // namespace ui
