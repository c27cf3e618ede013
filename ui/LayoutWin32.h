// Controls made from their layout rows (Layout.h), and the fonts they use.
#pragma once
#include <windows.h>

#include <vector>

#include "ui/Layout.h"
#include "win32/Handles.h"

namespace ui {

// The display's dots per inch (vertical; Windows keeps both the same).
int ScreenDpi();

// A font of `points` (fractional points allowed) at the display's DPI.
win32::Font MakeFont(const char* face, double points, int weight, bool underline = false,
                     bool italic = false);

// The fonts a window's rows name, each made once and kept while the window
// lives.
class FontSet {
  public:
    HFONT Get(const FontSpec& wanted);

  private:
    struct Entry {
        FontSpec style;
        win32::Font font;
    };
    std::vector<Entry> fonts_;
};

// How twips become pixels: by edges (each edge rounded, so that controls that
// meet in the design meet on screen) or by size (the corner and the size
// rounded each, as dialog-like windows have always placed theirs).
enum class Snap { Edges, Size };

struct Placement {
    POINT origin;  // the corner the row's rectangle is relative to, in pixels
    int dpi;
    Snap snap;
};

// The row's rectangle in the parent's client pixels.
RECT PixelRect(const LayoutRow& row, const Placement& at);

// Makes the control of `row` as a visible child of `parent`: its class and
// styles from its kind and alignment, `extraStyle` added, its design caption,
// its control id, and its font (the row's from `fonts`, else the parent's
// own, when it has one). The checked list and the banner box have classes of
// their own and are not made here. Returns the control, or nullptr.
HWND CreateControl(HWND parent, const LayoutRow& row, const Placement& at, FontSet& fonts,
                   DWORD extraStyle = 0);

}  // namespace ui
