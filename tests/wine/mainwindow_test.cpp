// The real Dovrane.exe's main window under Wine set to Windows XP, looked at
// and driven from outside as a user would: its frame, menu, icon, controls
// and their places, the tabs switched with the mouse, the tab order.
//
// Wine keeps menus, fonts and icons in the process that made them, so those
// are judged by what the window shows on screen and by what keys do.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/LayoutWin32.h"
#include "ui/frmKestrow.h"
#include "ui/resource.h"
#include "wine/support/Driver.h"

namespace {

using namespace wine_test;
using namespace std::chrono_literals;
using ui::ControlKind;
using ui::LayoutRow;
using ui::Page;

int Px(int twips) {
    return ui::TwipsToPixels(twips, ui::ScreenDpi());
}

// A piece of the screen, copied at once.
struct Image {
    int w = 0, h = 0;
    std::vector<COLORREF> px;
    COLORREF at(int x, int y) const { return px[static_cast<size_t>(y * w + x)]; }
};

// Draws with `paint` into a w x h bitmap like the screen's and reads it back.
Image Render(int w, int h, const std::function<void(HDC)>& paint) {
    Image img{w, h, {}};
    const win32::WindowDc screen(nullptr);
    const win32::MemoryDc mem(screen.get());
    const win32::Bitmap bmp(CreateCompatibleBitmap(screen.get(), w, h));
    const win32::Selection selected(mem.get(), bmp.get());
    paint(mem.get());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.px.push_back(GetPixel(mem.get(), x, y));
    return img;
}

Image Capture(const RECT& screenRect) {
    return Render(screenRect.right - screenRect.left, screenRect.bottom - screenRect.top,
                  [&](HDC mem) {
                      const win32::WindowDc screen(nullptr);
                      BitBlt(mem, 0, 0, screenRect.right - screenRect.left,
                             screenRect.bottom - screenRect.top, screen.get(), screenRect.left,
                             screenRect.top, SRCCOPY);
                  });
}

RECT ScreenRectOf(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r;
}

// One running program for the whole suite: it takes seconds to start.
class MainWindow : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        version_ = std::make_unique<DovraneWinVersion>("winxp");
        staged_ = std::make_unique<StagedDovrane>("mainwindow");
        dovrane_ = std::make_unique<Process>(StartDovrane(staged_->exe()));
        main_ = WaitForWindow(dovrane_->id(), "frmKestrow", nullptr);
    }
    static void TearDownTestSuite() {
        if (main_) {
            PostMessageA(main_, WM_CLOSE, 0, 0);
            EXPECT_TRUE(dovrane_->WaitExit(15s)) << "closing the main window left it running";
        }
        dovrane_.reset();
        staged_.reset();
        version_.reset();
        main_ = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(main_, nullptr) << "the main window did not come up";
        ASSERT_TRUE(dovrane_->Running());
        Activate(main_);
    }

    static HWND Control(int id) { return FindChildById(main_, id); }
    static int SelectedTab() {
        return static_cast<int>(SendMessageA(Control(ui::kSSTab1), TCM_GETCURSEL, 0, 0));
    }
    // Clicks along the tab strip until the tab `index` is chosen; the strip's
    // items cannot be measured from another process under Wine.
    static bool ClickTab(int index) {
        HWND tab = Control(ui::kSSTab1);
        for (int x = 6; x < ClientSize(tab).cx / 2; x += 6) {
            ClickAt(tab, x, Px(150));
            if (SelectedTab() == index) return true;
        }
        return false;
    }
    static std::vector<const LayoutRow*> OnPage(Page page) {
        std::vector<const LayoutRow*> out;
        for (const LayoutRow& c : ui::kKestrowControls)
            if (c.page == page) out.push_back(&c);
        return out;
    }

    static std::unique_ptr<DovraneWinVersion> version_;
    static std::unique_ptr<StagedDovrane> staged_;
    static std::unique_ptr<Process> dovrane_;
    static HWND main_;
};

std::unique_ptr<DovraneWinVersion> MainWindow::version_;
std::unique_ptr<StagedDovrane> MainWindow::staged_;
std::unique_ptr<Process> MainWindow::dovrane_;
HWND MainWindow::main_ = nullptr;

TEST_F(MainWindow, FixedFrameOfTheDesignedClientSize) {
    EXPECT_EQ(TextOf(main_), "Dovrane");
    const SIZE client = ClientSize(main_);
    EXPECT_EQ(client.cx, Px(ui::kClientWidthTwips));
    EXPECT_EQ(client.cy, Px(ui::kClientHeightTwips));
    const LONG style = GetWindowLongA(main_, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_NE(style & WS_SYSMENU, 0) << "no close button";
    EXPECT_EQ(style & WS_THICKFRAME, 0) << "sizable";
    EXPECT_EQ(style & WS_MINIMIZEBOX, 0);
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0);
    EXPECT_EQ(GetWindow(main_, GW_OWNER), nullptr);
    EXPECT_NE(GetMenu(main_), nullptr);
    EXPECT_TRUE(IsWindowEnabled(main_));
}

TEST_F(MainWindow, ControlsStandWhereTheDesignPutsThem) {
    HWND tab = Control(ui::kSSTab1);
    for (const LayoutRow& c : ui::kKestrowControls) {
        SCOPED_TRACE(c.name);
        HWND h = Control(c.id);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(GetParent(h), main_);
        // Controls on the tab control are placed from its corner.
        const RECT r = PlacementIn(h, c.page == Page::Window ? main_ : tab);
        EXPECT_EQ(r.left, Px(c.rect.left));
        EXPECT_EQ(r.top, Px(c.rect.top));
        EXPECT_NEAR(r.right - r.left, Px(c.rect.width), 1);
        if (c.kind == ControlKind::CheckedList) {
            // A list box shows whole rows only and drops what is left over.
            const int row = static_cast<int>(SendMessageA(h, LB_GETITEMHEIGHT, 0, 0));
            EXPECT_LE(r.bottom - r.top, Px(c.rect.height));
            EXPECT_GT(r.bottom - r.top, Px(c.rect.height) - row);
        } else {
            EXPECT_NEAR(r.bottom - r.top, Px(c.rect.height), 1);
        }

        const LONG style = GetWindowLongA(h, GWL_STYLE);
        const std::string cls = ClassOf(h);
        switch (c.kind) {
            case ControlKind::TabControl:
                EXPECT_EQ(cls, "SysTabControl32");
                EXPECT_EQ(SendMessageA(h, TCM_GETITEMCOUNT, 0, 0), 2);
                EXPECT_EQ(style & (TCS_MULTILINE | TCS_BUTTONS | TCS_VERTICAL), 0);
                break;
            case ControlKind::CheckedList:
                EXPECT_EQ(cls, "ListBox");
                EXPECT_NE(style & LBS_OWNERDRAWFIXED, 0);
                EXPECT_NE(style & LBS_HASSTRINGS, 0);
                break;
            case ControlKind::CheckBox:
                EXPECT_EQ(cls, "Button");
                EXPECT_EQ(TextOf(h), c.caption);
                EXPECT_TRUE((style & BS_TYPEMASK) == BS_CHECKBOX ||
                            (style & BS_TYPEMASK) == BS_AUTOCHECKBOX)
                    << "style " << std::hex << style;
                EXPECT_EQ(style & (BS_PUSHLIKE | BS_BITMAP | BS_ICON), 0);
                break;
            case ControlKind::Button:
                EXPECT_EQ(cls, "Button");
                EXPECT_EQ(TextOf(h), c.caption);
                // An ordinary push button: none is the default button.
                EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON);
                break;
            case ControlKind::Picture:
                break;
            case ControlKind::Link:
                EXPECT_EQ(cls, "Static");
                EXPECT_EQ(TextOf(h), c.caption);
                EXPECT_NE(style & SS_NOTIFY, 0) << "a click on it would not be noticed";
                break;
            default:
                ADD_FAILURE() << "a kind the main window does not use";
                break;
        }
    }
}

TEST_F(MainWindow, TweaksInFrontAndTheTabsSwitchWithTheMouse) {
    const auto visible = [](Page page) {
        std::vector<std::string> names;
        for (const LayoutRow* c : OnPage(page))
            if (IsWindowVisible(Control(c->id))) names.push_back(c->name);
        return names;
    };
    const auto all = [](Page page) {
        std::vector<std::string> names;
        for (const LayoutRow* c : OnPage(page)) names.push_back(c->name);
        return names;
    };
    const std::vector<std::string> none;

    ASSERT_EQ(SelectedTab(), 0);
    EXPECT_EQ(visible(Page::Tweaks), all(Page::Tweaks));
    EXPECT_EQ(visible(Page::RunList), none);

    ASSERT_TRUE(ClickTab(1)) << "no click on the tab strip chose \"Run List\"";
    EXPECT_EQ(visible(Page::RunList), all(Page::RunList));
    EXPECT_EQ(visible(Page::Tweaks), none);
    // What stands outside the tab control stays.
    for (const LayoutRow* c : OnPage(Page::Window))
        EXPECT_TRUE(IsWindowVisible(Control(c->id))) << c->name;

    ClickAt(Control(ui::kSSTab1), Px(150), Px(150));
    ASSERT_EQ(SelectedTab(), 0);
    EXPECT_EQ(visible(Page::Tweaks), all(Page::Tweaks));
    EXPECT_EQ(visible(Page::RunList), none);
}

TEST_F(MainWindow, TabKeyWalksTheTweaksInDesignOrder) {
    ASSERT_EQ(SelectedTab(), 0);
    std::vector<int> expected;  // the visible stops, in the table's order
    for (const LayoutRow& c : ui::kKestrowControls)
        if (c.page != Page::RunList && c.kind != ControlKind::Picture &&
            c.kind != ControlKind::Link)
            expected.push_back(c.id);
    // From wherever the focus is (the tab control, after the clicks above),
    // one full round.
    std::vector<int> walked;
    for (size_t i = 0; i <= expected.size(); ++i) {
        walked.push_back(GetDlgCtrlID(FocusOf(main_)));
        PressKey(VK_TAB);
    }
    auto at = std::find(expected.begin(), expected.end(), walked[0]);
    ASSERT_NE(at, expected.end()) << "focus on id " << walked[0];
    std::vector<int> round(at, expected.end());
    round.insert(round.end(), expected.begin(), at + 1);
    EXPECT_EQ(walked, round);
}

TEST_F(MainWindow, HelpMenuOpensTheAboutBoxFromTheKeyboard) {
    // Alt+H opens "&Help", A chooses "&About".
    PressChord({VK_MENU, 'H'});
    PressKey('A');
    HWND about = WaitForWindow(dovrane_->id(), nullptr, "About Dovrane", 10s);
    ASSERT_NE(about, nullptr) << "Alt+H, A showed no About box";
    EXPECT_EQ(GetWindow(about, GW_OWNER), main_);
    EXPECT_FALSE(IsWindowEnabled(main_)) << "the About box is not modal";
    Activate(about);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(about) || !IsWindowVisible(about); }, 5s));
    EXPECT_TRUE(WaitFor([] { return IsWindowEnabled(main_) != FALSE; }, 5s));
}

// Compared with the text drawn here in the font the design names. (Wine here
// may draw several faces alike, so this holds the size, weight, underline
// and colour more firmly than the face.)
TEST_F(MainWindow, LinkIsDrawnBlueAndUnderlinedInItsFont) {
    HWND label = Control(ui::kLabel1);
    const RECT screen = ScreenRectOf(label);
    const Image shown = Capture(screen);
    // The text as the design sets it, drawn the way a left-aligned static
    // draws its text.
    const Image expected = Render(shown.w, shown.h, [](HDC dc) {
        RECT r = {0, 0, 1000, 1000};
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        win32::Font font = ui::MakeFont("MS Sans Serif", 8.25, FW_NORMAL, true);
        HGDIOBJ old = SelectObject(dc, font.get());
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, "Dovrane", -1, &r, DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK);
        SelectObject(dc, old);
    });
    int blue = 0, differ = 0, longestBlueRun = 0;
    for (int y = 0; y < shown.h; ++y) {
        int run = 0;
        for (int x = 0; x < shown.w; ++x) {
            const COLORREF c = shown.at(x, y);
            if (c != expected.at(x, y)) ++differ;
            run = c == RGB(0, 0, 255) ? run + 1 : 0;
            if (c == RGB(0, 0, 255)) ++blue;
            longestBlueRun = std::max(longestBlueRun, run);
        }
    }
    EXPECT_GT(blue, 30) << "no text in pure blue";
    EXPECT_GT(longestBlueRun, 30) << "no underline";
    EXPECT_EQ(differ, 0) << "the link differs from blue underlined MS Sans Serif 8.25 pt";
}

// Wine draws the caption itself when it is told the window manager will not,
// and then shows the window's small icon in it: the program's dial, not the
// stock application icon.
TEST(MainWindowIcon, CaptionShowsTheProgramsIcon) {
    struct SelfDrawnFrame {
        const std::string key = "HKCU\\Software\\Wine\\AppDefaults\\Dovrane.exe\\X11 Driver";
        SelfDrawnFrame() { RegAdd(key, "Decorated", "REG_SZ", "N"); }
        ~SelfDrawnFrame() { RegDeleteKey(key); }
    };
    DovraneWinVersion xp("winxp");
    auto frame = std::make_unique<SelfDrawnFrame>();
    StagedDovrane staged("icon");
    Process dovrane = StartDovrane(staged.exe());
    HWND main = WaitForWindow(dovrane.id(), "frmKestrow", nullptr);
    frame.reset();  // read at start-up; the other tests want the usual frame
    ASSERT_NE(main, nullptr);
    Activate(main);
    Sleep(300);

    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    const RECT window = ScreenRectOf(main);
    // The left end of the caption.
    RECT strip = {window.left, window.top, window.left + 4 * cx, window.top + 2 * cy};
    const Image shown = Capture(strip);

    const win32::Module exe(
        LoadLibraryExA(staged.exe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(exe);
    HICON ours = static_cast<HICON>(
        LoadImageA(exe.get(), MAKEINTRESOURCEA(IDI_DOVRANE), IMAGE_ICON, cx, cy, 0));
    ASSERT_NE(ours, nullptr) << "no icon resource in the executable";
    // Each icon drawn over black and over white: pixels that come out the
    // same are the icon's own, the others show the background.
    const auto draw = [&](HICON icon, COLORREF under) {
        return Render(cx, cy, [&](HDC dc) {
            const win32::Brush b(CreateSolidBrush(under));
            RECT r = {0, 0, cx, cy};
            FillRect(dc, &r, b.get());
            DrawIconEx(dc, 0, 0, icon, cx, cy, 0, nullptr, DI_NORMAL);
        });
    };
    // The fewest of the icon's own pixels that differ, over every place in
    // the strip.
    const auto bestMisses = [&](HICON icon) {
        const Image black = draw(icon, RGB(0, 0, 0)), white = draw(icon, RGB(255, 255, 255));
        int best = cx * cy;
        for (int oy = 0; oy + cy <= shown.h; ++oy)
            for (int ox = 0; ox + cx <= shown.w; ++ox) {
                int misses = 0;
                for (int y = 0; y < cy; ++y)
                    for (int x = 0; x < cx; ++x)
                        if (black.at(x, y) == white.at(x, y) &&
                            black.at(x, y) != shown.at(ox + x, oy + y))
                            ++misses;
                best = std::min(best, misses);
            }
        return best;
    };
    const int ourMisses = bestMisses(ours);
    const int stockMisses = bestMisses(LoadIconA(nullptr, IDI_APPLICATION));
    DestroyIcon(ours);
    EXPECT_LE(ourMisses, cx * cy / 20) << "the caption does not show the program's icon";
    EXPECT_GT(stockMisses, cx * cy / 20) << "the caption shows the stock application icon";

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(dovrane.WaitExit(15s));
}

}  // namespace
