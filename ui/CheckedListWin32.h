// lstRunMRU on Win32: an owner-drawn list box with a check box in front of
// every entry. A click on the check box or the space bar toggles the entry;
// the list scrolls sideways as far as RunListTab sets its horizontal extent.
// The entries and their check marks live in RunListTab; this control only
// shows them and passes the user's changes back.
//
// The parent window places it and routes its WM_MEASUREITEM, WM_DRAWITEM and
// WM_COMMAND here; each On... returns false for messages about other
// controls, so the parent can route unconditionally. WM_MEASUREITEM arrives
// while the list box is being created, before Create returns: route it from
// the start.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "ui/RunListTab.h"
#include "win32/Window.h"

namespace ui {

class CheckedListWin32 final : public RunListView, public win32::BaseWindow<CheckedListWin32> {
  public:
    static constexpr win32::WindowClass kClass = {"lstRunMRU", 0, 0, false};

    // Attaches itself to the tab as its view, until it is destroyed.
    explicit CheckedListWin32(RunListTab& tab);
    ~CheckedListWin32() override;

    // Creates the list box as a visible child of `parent`, `rect` in the
    // parent's client pixels, with control id `id`. `font` (not owned; it
    // must outlive the control) is the list's font; nullptr takes
    // DEFAULT_GUI_FONT. False when the window could not be created.
    bool Create(HWND parent, const RECT& rect, int id, HFONT font = nullptr);

    // Another font: the item height follows it. The same happens when
    // WM_SETFONT is sent to the list box directly.
    void SetFont(HFONT font);

    // The parent's WM_MEASUREITEM, WM_DRAWITEM and WM_COMMAND (LBN_SELCHANGE
    // makes the clicked entry the tab's current one). True when handled.
    bool OnMeasureItem(MEASUREITEMSTRUCT& measure);
    bool OnDrawItem(const DRAWITEMSTRUCT& draw);
    bool OnCommand(WPARAM wp, LPARAM lp);

    // The check box of an item whose rectangle is `item` (rcItem of
    // WM_DRAWITEM, or LB_GETITEMRECT while the list is not scrolled sideways).
    RECT CheckBoxRect(const RECT& item) const;

    // RunListView
    int EntryWidth(const std::u16string& text) override;
    void SetHorizontalExtent(int pixels) override;
    void ShowEntries() override;
    void ShowChecks() override;

  private:
    struct Theme;

    friend class win32::BaseWindow<CheckedListWin32>;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    // An item's rectangle in client coordinates, sideways scroll included.
    bool ItemOnScreen(int index, RECT* item) const;
    // The entry whose check box is under a click, -1 for none.
    int CheckBoxAt(LPARAM pointLp) const;
    void Toggle(int index);
    int CheckSize() const;
    int ItemHeight() const;
    int TextLeft() const;
    void DrawCheckBox(HDC dc, const RECT& box, bool checked, bool disabled);

    RunListTab& tab_;
    std::unique_ptr<Theme> theme_;
    HFONT font_ = nullptr;
    int id_ = 0;
};

}  // namespace ui
