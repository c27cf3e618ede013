// The splash screen as a window of this test program: its frame and labels,
// their fonts and texts, and what closes it (a character key or a click on
// the frame, the logo or a label) and what does not.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "ui/LayoutWin32.h"
#include "ui/frmKestrow.h"
#include "ui/frmSplash.h"
#include "ui/frmSplashWin32.h"
#include "wine/support/Driver.h"

namespace {

using namespace wine_test;

// Runs this thread's messages for a while, as the main window's load does.
void Pump(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    } while (std::chrono::steady_clock::now() < until);
}

int Px(int twips) {
    return ui::TwipsToPixels(twips, ui::ScreenDpi());
}

// The rectangle of a control in its parent's client coordinates.
RECT Placement(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class SplashTest : public testing::Test {
  protected:
    void SetUp() override {
        owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
        Reopen();
    }
    void TearDown() override {
        splash.reset();
        DestroyWindow(owner);
    }
    // A fresh splash, shown and in front, as the main window's load makes it.
    void Reopen() {
        splash = std::make_unique<ui::frmSplash>();
        splash->Show(owner);
        ASSERT_TRUE(splash->IsLoaded());
        Activate(splash->hwnd());
        Pump(200);
    }
    HWND Control(int id) { return GetDlgItem(splash->hwnd(), id); }
    bool ClosedAfter(int ms = 400) {
        Pump(ms);
        return !splash->IsLoaded();
    }

    HWND owner = nullptr;
    std::unique_ptr<ui::frmSplash> splash;
};

TEST_F(SplashTest, WindowHasNoTitleBarAndTheDesignedSizeCentred) {
    HWND w = splash->hwnd();
    EXPECT_EQ(ClassOf(w), "frmSplash");
    EXPECT_EQ(TextOf(w), "");
    const LONG style = GetWindowLongA(w, GWL_STYLE);
    EXPECT_NE(style & WS_DLGFRAME, 0);
    EXPECT_EQ(style & WS_CAPTION, WS_DLGFRAME);  // a frame, no title bar
    EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_EQ(GetWindow(w, GW_OWNER), owner);
    const SIZE client = ClientSize(w);
    EXPECT_EQ(client.cx, Px(ui::kSplashWidthTwips));
    EXPECT_EQ(client.cy, Px(ui::kSplashHeightTwips));
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    EXPECT_TRUE(IsWindowVisible(w));
}

TEST_F(SplashTest, LabelsCarryTheLoadTextsInTheirFonts) {
    for (const auto& [id, text] : ui::SplashLoadTexts()) EXPECT_EQ(TextOf(Control(id)), text);
    const ui::TwipsRect frame1 = ui::FindRow(ui::kSplashControls, ui::kSplashFrame1)->rect;
    for (const auto& row : ui::kSplashControls) {
        if (row.kind != ui::ControlKind::Label && row.kind != ui::ControlKind::AutoSizeLabel)
            continue;
        HWND label = Control(row.id);
        LOGFONTA lf = {};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)), sizeof lf, &lf);
        EXPECT_STREQ(lf.lfFaceName, "Arial") << row.name;
        EXPECT_EQ(lf.lfWeight, row.font.bold ? FW_BOLD : FW_NORMAL) << row.name;
        EXPECT_EQ(lf.lfCharSet, ANSI_CHARSET) << row.name;
        EXPECT_FALSE(lf.lfItalic || lf.lfUnderline || lf.lfStrikeOut) << row.name;
        const LONG align = GetWindowLongA(label, GWL_STYLE) & SS_TYPEMASK;
        EXPECT_EQ(align, row.align == ui::Align::Right ? SS_RIGHT : SS_LEFT) << row.name;

        const RECT r = Placement(label);
        const int fx = Px(frame1.left), fy = Px(frame1.top);
        EXPECT_EQ(r.top, fy + Px(row.rect.top)) << row.name;
        if (row.kind != ui::ControlKind::AutoSizeLabel) {
            EXPECT_EQ(r.left, fx + Px(row.rect.left)) << row.name;
            EXPECT_EQ(r.right - r.left, Px(row.rect.width)) << row.name;
        } else if (row.align == ui::Align::Right) {
            // Sized to the text, the right edge kept.
            EXPECT_EQ(r.right, fx + Px(row.rect.left + row.rect.width)) << row.name;
        } else {
            EXPECT_EQ(r.left, fx + Px(row.rect.left)) << row.name;
        }
    }
    // The empty label keeps its place.
    EXPECT_GT(Placement(Control(ui::kSplashLblLicenseTo)).right -
                  Placement(Control(ui::kSplashLblLicenseTo)).left,
              400);
}

TEST_F(SplashTest, FrameLiesBehindEverythingAndHoldsIt) {
    HWND w = splash->hwnd();
    EXPECT_EQ(GetWindow(w, GW_CHILD), Control(ui::kSplashLblCompanyProduct));  // front
    EXPECT_EQ(GetWindow(GetWindow(w, GW_CHILD), GW_HWNDLAST), Control(ui::kSplashFrame1));
    const RECT frame = Placement(Control(ui::kSplashFrame1));
    EXPECT_EQ(frame.left, Px(150));
    EXPECT_EQ(frame.top, Px(60));
    for (int id = ui::kSplashImgLogo; id <= ui::kSplashLblCompanyProduct; ++id) {
        const RECT r = Placement(Control(id));
        EXPECT_GE(r.left, frame.left) << id;
        EXPECT_GE(r.top, frame.top) << id;
    }
    const RECT logo = Placement(Control(ui::kSplashImgLogo));
    EXPECT_EQ(logo.right - logo.left, Px(2415));
    EXPECT_EQ(logo.bottom - logo.top, Px(705));
}

TEST_F(SplashTest, IsPaintedWhenShowReturns) {
    // Read back the product name's pixels: dark text on the face colour.
    HWND label = Control(ui::kSplashLblProductName);
    const win32::WindowDc dc(label);
    const SIZE size = ClientSize(label);
    int dark = 0;
    for (int y = 0; y < size.cy; y += 2)
        for (int x = 0; x < size.cx; x += 2)
            if (GetRValue(GetPixel(dc.get(), x, y)) < 80) ++dark;
    EXPECT_GT(dark, 20);
}

// The logo in its own colours, with the button face where it is transparent.
TEST_F(SplashTest, LogoShowsItsColoursOnTheButtonFace) {
    HWND logo = Control(ui::kSplashImgLogo);
    const win32::WindowDc dc(logo);
    const SIZE size = ClientSize(logo);
    // A point of the 144 x 32 drawing, stretched to the control.
    const auto at = [&](int x, int y) {
        return GetPixel(dc.get(), x * size.cx / 144, y * size.cy / 32);
    };
    EXPECT_EQ(at(5, 15), RGB(0x33, 0x66, 0x99)) << "the blue square";
    EXPECT_EQ(at(140, 1), GetSysColor(COLOR_BTNFACE)) << "the transparent white";
}

TEST_F(SplashTest, IsTheActiveWindowWhenShownAndGoesAtOnce) {
    // Shown without activation, then brought to the front: to the user (and
    // to the keyboard) the same as shown active. And Wine lets it go without
    // waiting for a window manager.
    splash.reset();
    splash = std::make_unique<ui::frmSplash>();
    splash->Show(owner);
    EXPECT_EQ(GetForegroundWindow(), splash->hwnd());
    EXPECT_EQ(GetActiveWindow(), splash->hwnd());
    const auto start = std::chrono::steady_clock::now();
    splash->Unload();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
}

TEST_F(SplashTest, CharacterKeysClose) {
    for (WORD vk : {WORD('A'), WORD('7'), WORD(VK_RETURN), WORD(VK_ESCAPE), WORD(VK_SPACE)}) {
        Reopen();
        PressKey(vk);
        EXPECT_TRUE(ClosedAfter()) << vk;
    }
}

TEST_F(SplashTest, KeysWithoutCharacterDoNotClose) {
    for (WORD vk : {WORD(VK_SHIFT), WORD(VK_LEFT), WORD(VK_F5), WORD(VK_CONTROL)}) {
        PressKey(vk);
        EXPECT_FALSE(ClosedAfter(200)) << vk;
    }
}

TEST_F(SplashTest, ClickOnFrameLogoOrAnyLabelCloses) {
    std::vector<int> ids;
    for (const auto& row : ui::kSplashControls) ids.push_back(row.id);
    for (int id : ids) {
        Reopen();
        HWND target = Control(id);
        if (id == ui::kSplashFrame1) {
            // Inside the frame, away from every label: left of lblVersion.
            ClickAt(splash->hwnd(), Px(150 + 3000), Px(60 + 2800));
        } else {
            Click(target);
        }
        EXPECT_TRUE(ClosedAfter()) << id;
    }
}

TEST_F(SplashTest, ClickOnTheMarginDoesNothing) {
    ClickAt(splash->hwnd(), Px(60), Px(2000));    // left of the frame
    ClickAt(splash->hwnd(), Px(3000), Px(4200));  // below it
    EXPECT_FALSE(ClosedAfter());
}

TEST_F(SplashTest, UnloadingAClosedSplashIsHarmless) {
    PressKey('X');
    ASSERT_TRUE(ClosedAfter());
    splash->Unload();
    splash->Unload();
    splash->Show(owner);  // it never comes back
    EXPECT_FALSE(splash->IsLoaded());
}

}  // namespace
