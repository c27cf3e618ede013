// The Run List's checked list in a real window under Wine: filled from the
// real registry, driven with real mouse and keyboard input, read back
// through the list box's own messages and the registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include "registry/AnsiCodePage.h"
#include "registry/RegistryWin32.h"
#include "support/TestDoubles.h"
#include "system/ShutdownApi.h"
#include "ui/CheckedListWin32.h"
#include "ui/RunListTab.h"
#include "wine/support/Driver.h"

namespace {

constexpr char kRunMru[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
constexpr int kListId = 1301;
const std::string kLong =
    "C:\\Program Files\\Ostrabend Tools\\A Rather Long Folder Name Kept For Testing\\tool.exe "
    "/switch:one /switch:two /last:END";

// What the parent window knows: the control to route to, and the item
// rectangles the list box last asked to be drawn.
struct Harness {
    ui::CheckedListWin32* list = nullptr;
    std::map<int, RECT> drawn;
};

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* harness = reinterpret_cast<Harness*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        harness = static_cast<Harness*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(harness));
    }
    if (harness && harness->list) {
        switch (msg) {
            case WM_MEASUREITEM:
                if (harness->list->OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lp)))
                    return TRUE;
                break;
            case WM_DRAWITEM: {
                const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
                harness->drawn[static_cast<int>(draw.itemID)] = draw.rcItem;
                if (harness->list->OnDrawItem(draw)) return TRUE;
                break;
            }
            case WM_COMMAND:
                if (harness->list->OnCommand(wp, lp)) return 0;
                break;
        }
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void PumpFor(std::chrono::milliseconds time) {
    const auto until = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < until) {
        Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// Real input goes through the message queue: let it arrive and be handled.
void ClickScreen(int x, int y) {
    wine_test::ClickAt(GetDesktopWindow(), x, y);
    PumpFor(std::chrono::milliseconds(150));
}

void Press(WORD vk) {
    wine_test::PressKey(vk);
    PumpFor(std::chrono::milliseconds(150));
}

void PutSz(const std::string& name, const std::string& text) {
    ASSERT_TRUE(wine_test::PutCurrentUserSz(kRunMru, name, text));
}

// The value's text as stored, or "<missing>".
std::string QuerySz(const std::string& name) {
    char data[4096] = {};
    DWORD size = sizeof data;
    win32::Key key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunMru, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return "<missing>";
    const LONG status = RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(data), &size);
    return status == ERROR_SUCCESS ? std::string(data) : "<missing>";
}

class CheckedListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegDeleteKeyA(HKEY_CURRENT_USER, kRunMru);
        PutSz("a", "notepad\\1");
        PutSz("b", kLong + "\\1");
        PutSz("c", "calc\\1");
        PutSz("MRUList", "bac");

        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = "CheckedListTest";
        RegisterClassA(&wc);
        harness.list = &list;
        top = CreateWindowExA(0, "CheckedListTest", "Run List", WS_OVERLAPPEDWINDOW, 40, 40, 480,
                              240, nullptr, nullptr, wc.hInstance, &harness);
        ASSERT_NE(top, nullptr);
        // Where the main window puts it: 120, 360 twips into the tab, 6375 x 2085 twips.
        const RECT place = {8, 24, 8 + 425, 24 + 139};
        ASSERT_TRUE(list.Create(top, place, kListId));
        tab.LoadRunList();
        ShowWindow(top, SW_SHOWNORMAL);
        UpdateWindow(top);
        wine_test::Activate(top);
        SetFocus(list.hwnd());
        PumpFor(std::chrono::milliseconds(200));
    }

    void TearDown() override {
        if (top) DestroyWindow(top);
        Pump();
        RegDeleteKeyA(HKEY_CURRENT_USER, kRunMru);
    }

    HWND lb() const { return list.hwnd(); }
    int IndexOf(const std::string& valueName) const {
        const auto& entries = tab.Entries();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].valueName == reg::ansi::ToWide(valueName)) return static_cast<int>(i);
        }
        ADD_FAILURE() << "no entry " << valueName;
        return 0;
    }
    bool Checked(const std::string& valueName) const {
        return tab.Entries()[IndexOf(valueName)].checked;
    }
    RECT ItemRect(int index) const {
        RECT r = {};
        SendMessageA(lb(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
        return r;
    }
    // A click at a point of the list's client area.
    void ClickList(int x, int y) const {
        POINT p = {x, y};
        ClientToScreen(lb(), &p);
        ClickScreen(p.x, p.y);
    }
    void ClickCheckBox(const std::string& valueName) const {
        const RECT box = list.CheckBoxRect(ItemRect(IndexOf(valueName)));
        ClickList((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    }
    void ClickText(const std::string& valueName) const {
        const RECT item = ItemRect(IndexOf(valueName));
        ClickList(item.left + 60, (item.top + item.bottom) / 2);
    }
    int ScrollPos() const { return GetScrollPos(lb(), SB_HORZ); }
    // Clicks the horizontal scroll bar left or right of its thumb, as a user
    // pages sideways, until the list scrolls no further.
    void PageTo(bool right) const {
        SCROLLBARINFO bar = {};
        bar.cbSize = sizeof bar;
        ASSERT_TRUE(GetScrollBarInfo(lb(), OBJID_HSCROLL, &bar));
        const int y = (bar.rcScrollBar.top + bar.rcScrollBar.bottom) / 2;
        // Past the arrow button (Wine's dxyLineButton is not the arrow's width).
        const int arrow = GetSystemMetrics(SM_CXHSCROLL);
        const int x = right ? bar.rcScrollBar.right - arrow - 2 : bar.rcScrollBar.left + arrow + 2;
        int last = -1;
        for (int i = 0; i < 40 && ScrollPos() != last; ++i) {
            last = ScrollPos();
            ClickScreen(x, y);
        }
    }
    // For pictures of the control: with DOVRANE_SHOT_DIR set, waits at this
    // point until <dir>\<name>.done appears, after announcing <name>.ready.
    void HoldForPicture(const std::string& name) const {
        const char* dir = std::getenv("DOVRANE_SHOT_DIR");
        if (!dir || !*dir) return;
        std::ofstream(std::string(dir) + "\\" + name + ".ready") << "ready\n";
        const std::string done = std::string(dir) + "\\" + name + ".done";
        for (int i = 0; i < 600 && GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES;
             ++i) {
            PumpFor(std::chrono::milliseconds(50));
        }
    }

    reg::RegistryWin32 registry;
    testing_doubles::RecordingPrompter prompter;
    testing_doubles::RecordingShutdown shutdown;
    ui::RunListTab tab{registry, prompter, shutdown};
    ui::CheckedListWin32 list{tab};
    Harness harness;
    HWND top = nullptr;
};

TEST_F(CheckedListTest, ShowsEveryEntryCheckedAndScrollsSidewaysToTheEndOfTheLongest) {
    ASSERT_EQ(SendMessageA(lb(), LB_GETCOUNT, 0, 0), 3);
    for (const char* name : {"a", "b", "c"}) EXPECT_TRUE(Checked(name)) << name;
    char text[512] = {};
    SendMessageA(lb(), LB_GETTEXT, IndexOf("b"), reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(text, kLong);
    EXPECT_EQ(SendMessageA(lb(), LB_GETCURSEL, 0, 0), 0);

    RECT client;
    GetClientRect(lb(), &client);
    const int extent = static_cast<int>(SendMessageA(lb(), LB_GETHORIZONTALEXTENT, 0, 0));
    EXPECT_EQ(extent, list.EntryWidth(reg::ansi::ToWide(kLong)));
    ASSERT_GT(extent, client.right);
    EXPECT_GT(ItemRect(0).bottom - ItemRect(0).top,
              list.CheckBoxRect(ItemRect(0)).bottom - list.CheckBoxRect(ItemRect(0)).top);

    ClickText("b");
    HoldForPicture("unscrolled");
    PageTo(true);
    const int pos = ScrollPos();
    // Scrolled exactly far enough for the end of the longest entry to show.
    EXPECT_EQ(pos, extent - client.right);
    // Drawn where the DC puts it: the list box moves either the item's
    // rectangle or the DC's origin by the scroll.
    harness.drawn.clear();
    InvalidateRect(lb(), nullptr, TRUE);
    UpdateWindow(lb());
    ASSERT_EQ(harness.drawn.count(IndexOf("b")), 1u);

    // The last letters are on screen, and end just before the right edge.
    {
        const win32::WindowDc dc(lb());
        const RECT row = ItemRect(IndexOf("b"));
        const COLORREF text = GetSysColor(COLOR_HIGHLIGHTTEXT);
        auto inked = [&](int from, int to) {
            int count = 0;
            for (int x = from; x < to; ++x) {
                for (int y = row.top; y < row.bottom; ++y)
                    count += GetPixel(dc.get(), x, y) == text;
            }
            return count;
        };
        EXPECT_GT(inked(client.right - 30, client.right - 3), 5);
        EXPECT_EQ(inked(client.right - 3, client.right), 0);
    }
    HoldForPicture("scrolled");

    // The check boxes went with the scroll: a click where they were does nothing.
    ClickList(8, (ItemRect(0).top + ItemRect(0).bottom) / 2);
    EXPECT_TRUE(Checked("a"));
    PageTo(false);
    EXPECT_EQ(ScrollPos(), 0);
}

TEST_F(CheckedListTest, AClickFindsTheCheckBoxWhereTheSidewaysScrollMovedIt) {
    const RECT box = list.CheckBoxRect(ItemRect(IndexOf("a")));
    const int y = (box.top + box.bottom) / 2;
    const int shift = 8;
    SendMessageA(lb(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, shift), 0);
    ASSERT_EQ(ScrollPos(), shift);
    Pump();
    ClickList(box.right + 2, y);  // on the unscrolled box's column, now the text
    EXPECT_TRUE(Checked("a"));
    ClickList(box.right - shift - 2, y);  // on what is left of the box
    EXPECT_FALSE(Checked("a"));
}

TEST_F(CheckedListTest, AClickOnTheCheckBoxOrTheSpaceBarTogglesTheEntry) {
    ClickCheckBox("a");
    EXPECT_FALSE(Checked("a"));
    EXPECT_TRUE(Checked("b"));
    EXPECT_EQ(GetFocus(), lb());

    ClickText("c");  // selects without toggling
    EXPECT_TRUE(Checked("c"));
    EXPECT_EQ(tab.CurrentEntry(), IndexOf("c"));
    Press(VK_SPACE);
    EXPECT_FALSE(Checked("c"));
    EXPECT_EQ(tab.CurrentEntry(), IndexOf("c"));
    Press(VK_SPACE);
    EXPECT_TRUE(Checked("c"));

    Press(VK_UP);
    EXPECT_EQ(tab.CurrentEntry(), IndexOf("b"));
    Press(VK_SPACE);
    EXPECT_FALSE(Checked("b"));

    ClickCheckBox("a");
    EXPECT_TRUE(Checked("a"));
    EXPECT_EQ(tab.CurrentEntry(), IndexOf("a"));

    // Select All puts every check mark back on screen too.
    tab.cmdMRUAll_Click();
    EXPECT_TRUE(Checked("b"));
    EXPECT_EQ(SendMessageA(lb(), LB_GETCURSEL, 0, 0), 0);
    HoldForPicture("toggled");
}

TEST_F(CheckedListTest, ApplyDeletesExactlyTheUncheckedValueFromTheRegistry) {
    ClickCheckBox("b");
    ASSERT_FALSE(Checked("b"));
    tab.cmdMRUApply_Click();
    EXPECT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(shutdown.restarts, 0);
    EXPECT_EQ(QuerySz("b"), "<missing>");
    EXPECT_EQ(QuerySz("a"), "notepad\\1");
    EXPECT_EQ(QuerySz("c"), "calc\\1");
    EXPECT_EQ(QuerySz("MRUList"), "bac");
    // Reloaded: what is left, checked, and no more sideways room than it needs.
    ASSERT_EQ(SendMessageA(lb(), LB_GETCOUNT, 0, 0), 2);
    for (const auto& entry : tab.Entries())
        EXPECT_TRUE(entry.checked) << reg::ansi::FromWide(entry.valueName);
    EXPECT_EQ(SendMessageA(lb(), LB_GETHORIZONTALEXTENT, 0, 0), list.EntryWidth(u"notepad"));
}

}  // namespace
