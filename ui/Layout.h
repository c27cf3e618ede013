// One format for every window's design: each control is a row of data, made
// by one function (CreateControl, LayoutWin32.h). Positions are in twips,
// converted at the display's dots per inch.
#pragma once
#include <array>
#include <cstddef>

namespace ui {

enum class ControlKind {
    TabControl,
    CheckedList,  // made by CheckedListWin32
    CheckBox,     // changes its value through ui::CheckBox, never by itself
    Button,
    DefaultButton,  // Enter presses it
    Picture,        // the banner box, made by BannerWin32
    Link,           // a label that takes clicks
    Label,
    AutoSizeLabel,  // takes the size of its text, keeping its aligned edge
    Frame,          // owner-drawn: an etched frame with its inside
    Image,          // owner-drawn: a picture
    Icon,           // the program's icon
};

// What a control stands on, and so what its rectangle is relative to: the
// window's client area, a tab of the tab control (whose corner is the
// client area's), or the frame of a window that has one.
enum class Page { Window, Tweaks, RunList, Frame };

enum class Align { Left, Right };

struct TwipsRect {
    int left, top, width, height;
};

// A font by face and size; a row without a face takes its window's font.
struct FontSpec {
    const char* face;
    double points;  // fractional points allowed
    bool bold;
    bool underline;
};

struct LayoutRow {
    const char* name;
    int id;  // ControlIds.h
    ControlKind kind;
    Page page;
    TwipsRect rect;
    const char* caption;  // the design's text
    int helpTopic;        // 0: none
    FontSpec font;
    Align align;
};

// Twips to pixels at `dpi` dots per inch, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi) {
    long scaled = static_cast<long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

// The row of a control id, or nullptr.
template <std::size_t N>
constexpr const LayoutRow* FindRow(const std::array<LayoutRow, N>& rows, int id) {
    for (const LayoutRow& row : rows)
        if (row.id == id) return &row;
    return nullptr;
}

}  // namespace ui
