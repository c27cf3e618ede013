// Help from the running Dovrane.exe: F1 on each control shows that control's
// topic in the help viewer, Help > Contents shows the contents page of the
// DOVRANE.HLP beside the executable, and without one the program itself
// shows nothing.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "ui/LayoutWin32.h"
#include "ui/frmKestrow.h"
#include "wine/support/Driver.h"

namespace {

using namespace wine_test;
using namespace std::chrono_literals;

// The topic each control carries, as the window's design lists them.
const std::map<std::string, int> kTopicOf = {
    {"SSTab1", 1},
    {"lstRunMRU", 8},
    {"cbNumLock", 2},
    {"cbEncryptOnContextMenu", 3},
    {"cbDesktopWizard", 4},
    {"cbClearPageFileAtShutdown", 5},
    {"cbAdminAcctWelcomeScreen", 12},
    {"cbDisplayCurrentAccountOnWelcomeScreen", 15},
    {"cbKeepRASOpen", 13},
    {"cbLowSpaceChecks", 14},
    {"cmdMRUAll", 9},
    {"cmdMRUNone", 10},
    {"cmdMRUApply", 11},
    {"cmdTwksSelectAll", 6},
    {"cmdTwksSelectNone", 7},
};

std::string WaitForHelpTitle(const std::string& expected) {
    std::string shown;
    WaitFor(
        [&] {
            shown = HelpViewerTitle();
            return shown == expected;
        },
        20s);
    return shown;
}

BOOL CALLBACK AddVisible(HWND w, LPARAM lp) {
    if (IsWindowVisible(w)) reinterpret_cast<std::set<HWND>*>(lp)->insert(w);
    return TRUE;
}

// Every visible top-level window on the desktop.
std::set<HWND> AllTopWindows() {
    std::set<HWND> all;
    EnumWindows(AddVisible, reinterpret_cast<LPARAM>(&all));
    return all;
}

// The program staged in a folder of its own, started with another folder as
// its working folder, so that only "beside the executable" finds the help.
class RunningDovrane {
  public:
    explicit RunningDovrane(const std::string& tag, bool withHelp, const std::string& help = "")
        : version_("winxp"), staged_(tag) {
        if (withHelp && !staged_.Add(help, "DOVRANE.HLP"))
            throw std::runtime_error("cannot copy " + help);
        char windows[MAX_PATH] = {};
        GetWindowsDirectoryA(windows, MAX_PATH);
        process_ = Start("\"" + staged_.exe() + "\"", windows);
        main_ = WaitForWindow(process_.id(), "frmKestrow", nullptr);
    }
    ~RunningDovrane() {
        if (main_ && IsWindow(main_)) {
            PostMessageA(main_, WM_CLOSE, 0, 0);
            process_.WaitExit(15s);
        }
        CloseHelpViewers();
    }

    HWND main() const { return main_; }
    const Process& process() const { return process_; }
    HWND Control(int id) const { return FindChildById(main_, id); }

    // Gives a control the focus the way a user does without clicking it
    // (which would tick a box or run a button): Tab until it has it.
    bool Focus(int id) {
        Activate(main_);
        for (size_t i = 0; i <= 2 * ui::kKestrowControls.size(); ++i) {
            if (FocusOf(main_) == Control(id)) return true;
            PressKey(VK_TAB);
        }
        return false;
    }
    bool ShowRunList() {
        HWND tab = Control(ui::kSSTab1);
        Activate(main_);
        const int y = ui::TwipsToPixels(150, ui::ScreenDpi());
        for (int x = 6; x < ClientSize(tab).cx / 2; x += 6) {
            ClickAt(tab, x, y);
            if (SendMessageA(tab, TCM_GETCURSEL, 0, 0) == 1) return true;
        }
        return false;
    }

  private:
    DovraneWinVersion version_;
    StagedDovrane staged_;
    Process process_;
    HWND main_ = nullptr;
};

class F1Help : public testing::Test {
  protected:
    void SetUp() override {
        std::string reason;
        help_ = BuiltHelpFile(&reason);
        if (help_.empty()) GTEST_SKIP() << reason;
        CloseHelpViewers();
    }
    std::string help_;
};

TEST_F(F1Help, EachControlShowsItsOwnTopic) {
    RunningDovrane dovrane("f1", true, help_);
    ASSERT_NE(dovrane.main(), nullptr);
    // The Tweaks controls first, with their tab in front, then the Run List's.
    std::vector<const ui::LayoutRow*> order;
    for (ui::Page page : {ui::Page::Tweaks, ui::Page::RunList})
        for (const ui::LayoutRow& c : ui::kKestrowControls)
            if (c.page == page || (page == ui::Page::Tweaks && c.id == ui::kSSTab1))
                order.push_back(&c);

    bool runList = false;
    for (const ui::LayoutRow* c : order) {
        SCOPED_TRACE(c->name);
        if (c->page == ui::Page::RunList && !runList) {
            CloseHelpViewers();  // it may lie over the tab strip
            ASSERT_TRUE(dovrane.ShowRunList());
            runList = true;
        }
        ASSERT_TRUE(dovrane.Focus(c->id)) << "Tab never reached it";
        PressKey(VK_F1);
        const std::string expected = HelpTopicTitles().at(kTopicOf.at(c->name));
        EXPECT_EQ(WaitForHelpTitle(expected), expected);
        ASSERT_TRUE(dovrane.process().Running());
    }
}

TEST_F(F1Help, ContentsShowsTheContentsOfTheFileBesideTheProgram) {
    RunningDovrane dovrane("contents", true, help_);
    ASSERT_NE(dovrane.main(), nullptr);
    Activate(dovrane.main());
    PressChord({VK_MENU, 'H'});
    PressKey('C');
    EXPECT_EQ(WaitForHelpTitle(kHelpContentsTitle), kHelpContentsTitle);
}

// F1 while a File or Edit menu item is highlighted shows that item's topic:
// the keyboard opens the menu and walks down it (over the separator).
TEST_F(F1Help, EachEditMenuItemShowsItsOwnTopic) {
    RunningDovrane dovrane("menu", true, help_);
    ASSERT_NE(dovrane.main(), nullptr);
    std::vector<std::string> shown;
    const struct {
        WORD menu;
        int downs;
    } kWalks[] = {{'F', 0}, {'F', 1}, {'E', 0}, {'E', 1}, {'E', 2}};
    for (const auto& walk : kWalks) {
        Activate(dovrane.main());
        PressChord({VK_MENU, walk.menu});
        for (int i = 0; i < walk.downs; ++i) PressKey(VK_DOWN);
        PressKey(VK_F1);
        std::string title;
        WaitFor([&] { return !(title = HelpViewerTitle()).empty(); }, 10s);
        shown.push_back(title);
        PressKey(VK_ESCAPE);
        PressKey(VK_ESCAPE);
        CloseHelpViewers();
    }
    std::vector<std::string> expected;
    for (const ui::MenuHelp& item : ui::kMenuHelp)
        expected.push_back(HelpTopicTitles().at(item.topic));
    EXPECT_EQ(shown, expected);
}

// F1 in a message box with a Help button shows the box's topic, and the
// window under the box does not replace it with its own afterwards.
TEST_F(F1Help, AMessageBoxShowsItsOwnTopicOnly) {
    RunningDovrane dovrane("box", true, help_);
    ASSERT_NE(dovrane.main(), nullptr);
    HWND current = dovrane.Control(ui::kCbDisplayCurrentAccountOnWelcomeScreen);
    auto click = [&] {
        Activate(dovrane.main());
        Click(current);
    };
    // Clearing the box asks first; a ticked box is needed for that.
    if (SendMessageA(current, BM_GETCHECK, 0, 0) != BST_CHECKED) {
        click();
        ASSERT_TRUE(WaitFor([&] { return SendMessageA(current, BM_GETCHECK, 0, 0) == 1; }, 10s));
    }
    click();
    HWND box = WaitForWindow(dovrane.process().id(), "#32770", nullptr, 10s);
    ASSERT_NE(box, nullptr) << "no question";
    Activate(box);
    PressKey(VK_F1);
    const std::string topic = HelpTopicTitles().at(15);
    EXPECT_EQ(WaitForHelpTitle(topic), topic);
    // Long enough for the window's topic to have come, had it been asked for.
    Sleep(3000);
    EXPECT_EQ(HelpViewerTitle(), topic);
    CloseHelpViewers();
    ASSERT_TRUE(ClickMessageBoxButton(box, IDNO));
}

// No help file beside the program: whatever the help viewer makes of that is
// its own business; the program shows no window and goes on.
TEST(HelpContents, WithoutTheFileTheProgramShowsNothingOfItsOwn) {
    CloseHelpViewers();
    RunningDovrane dovrane("nohelp", false);
    ASSERT_NE(dovrane.main(), nullptr);
    const std::set<HWND> before = AllTopWindows();
    Activate(dovrane.main());
    PressChord({VK_MENU, 'H'});
    PressKey('C');
    // Give the viewer and anything of the program time to come up.
    Sleep(3000);
    // The menu closes again; nothing else of the program's may stay up.
    std::vector<std::string> ours;
    for (HWND w : TopWindows(dovrane.process().id()))
        if (w != dovrane.main() && ClassOf(w) != "#32768")
            ours.push_back(ClassOf(w) + " \"" + TextOf(w) + "\"");
    EXPECT_EQ(ours, std::vector<std::string>{});
    EXPECT_TRUE(IsWindowEnabled(dovrane.main()));
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutA(dovrane.main(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer),
              0)
        << "the program hangs";
    EXPECT_EQ(HelpViewerTitle(), "") << "a topic is shown without a help file";

    // Whatever the viewer put up about the missing file goes away with it.
    for (HWND w : AllTopWindows()) {
        if (before.count(w)) continue;
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == dovrane.process().id() || pid == GetCurrentProcessId()) continue;
        if (const win32::Handle viewer{OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)}) {
            TerminateProcess(viewer.get(), 0);
            WaitForSingleObject(viewer.get(), 5000);
        }
    }
}

}  // namespace
