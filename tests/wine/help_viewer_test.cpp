// DOVRANE.HLP in the real help viewer: the file the host build compiles is
// opened through WinHelpA, as the program opens it, and each topic is read
// back from the viewer's own window.
//
// The viewer's caption names neither the file nor the topic ("Wine Help" when
// WinHelpA starts it); the topic's title is the first line of its text, which
// the viewer shows in a rich edit child and gives to WM_GETTEXT.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "wine/support/Driver.h"

namespace {

using namespace std::chrono_literals;

// Where the host build leaves the help file, as Wine sees the path.
std::string HelpFile(std::string* reason) {
    std::string path;
    if (const char* env = std::getenv("DOVRANE_HLP"); env && *env) {
        path = env;
    } else if (const char* src = std::getenv("DOVRANE_SOURCE_DIR"); src && *src) {
        path = std::string(src) + "/build/host/help/DOVRANE.HLP";
    } else {
        *reason = "neither DOVRANE_HLP nor DOVRANE_SOURCE_DIR is set";
        return "";
    }
    std::string windows = path[0] == '/' ? wine_test::WindowsPath(path) : path;
    if (GetFileAttributesA(windows.c_str()) == INVALID_FILE_ATTRIBUTES) {
        *reason = path + " does not exist: build the host preset first (it compiles the help)";
        return "";
    }
    return windows;
}

struct Topic {
    DWORD number;
    const char* title;
};

// The topic numbers the main window's controls carry, with the titles the
// help gives them.
const Topic kTopics[] = {
    {1, "The Dovrane window"},
    {2, "Enable NumLock @ Startup"},
    {3, "Add Encrypt Item to Context Menu"},
    {4, "Enable Desktop Cleanup Wizard"},
    {5, "Enable Clear Page File @ Shutdown"},
    {6, "Tweaks: Select All"},
    {7, "Tweaks: Select None"},
    {8, "The Run List"},
    {9, "Run List: Select All"},
    {10, "Run List: Select None"},
    {11, "Run List: Apply"},
    {12, "Display Administrator Account on Welcome Screen"},
    {13, "Keep Dial-Up Internet Connections Open During Fast User Switch"},
    {14, "Disable Low Space Warnings"},
    {15, "Display Current Account on Welcome Screen"},
    {17, "The banner"},
};
const char kContentsTitle[] = "Dovrane Help";

class HelpViewer : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string reason;
        path_ = HelpFile(&reason);
        if (path_.empty()) GTEST_SKIP() << reason;
        // An ordinary window of ours to ask for help, as the main window does.
        owner_ = CreateWindowExA(0, "STATIC", "help caller", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
        Quit();
    }

    void TearDown() override {
        if (owner_) {
            Quit();
            DestroyWindow(owner_);
        }
    }

    BOOL Help(UINT command, ULONG_PTR data) {
        return WinHelpA(owner_, path_.c_str(), command, data);
    }

    // The viewer keeps the file it has open: close it, so that every test
    // starts from a fresh viewer and a rebuilt file is read anew.
    void Quit() {
        if (!FindWindowA("MS_WINHELP", nullptr)) return;
        WinHelpA(owner_, path_.c_str(), HELP_QUIT, 0);
        wine_test::WaitFor([] { return FindWindowA("MS_WINHELP", nullptr) == nullptr; }, 10s);
    }

    static HWND Viewer() { return FindWindowA("MS_WINHELP", nullptr); }

    // The first line of the text the viewer shows, "" while there is none.
    static std::string ShownTitle() {
        HWND viewer = Viewer();
        if (!viewer) return "";
        for (HWND child : wine_test::Children(viewer)) {
            if (wine_test::ClassOf(child).find("RichEdit") == std::string::npos) continue;
            std::string text = wine_test::TextOf(child);
            return text.substr(0, text.find_first_of("\r\n"));
        }
        return "";
    }

    static std::string WaitForTitle(const std::string& expected) {
        std::string shown;
        wine_test::WaitFor(
            [&] {
                shown = ShownTitle();
                return shown == expected;
            },
            20s);
        return shown;
    }

    std::string path_;
    HWND owner_ = nullptr;
};

TEST_F(HelpViewer, ContentsOpensTheContentsPage) {
    ASSERT_TRUE(Help(HELP_CONTENTS, 0));
    EXPECT_EQ(WaitForTitle(kContentsTitle), kContentsTitle);
}

TEST_F(HelpViewer, FinderOpensTheContentsPage) {
    // What Help > Contents asks for.
    ASSERT_TRUE(Help(HELP_FINDER, 0));
    EXPECT_EQ(WaitForTitle(kContentsTitle), kContentsTitle);
}

TEST_F(HelpViewer, EachContextNumberShowsItsTopic) {
    for (const Topic& t : kTopics) {
        SCOPED_TRACE("topic " + std::to_string(t.number));
        ASSERT_TRUE(Help(HELP_CONTEXT, t.number));
        EXPECT_EQ(WaitForTitle(t.title), t.title);
    }
}

// Wine's viewer gives up and closes on a number the file does not map, also
// with a topic open; Windows' viewer says the topic does not exist. Either is
// fine, as long as nothing crashes and the next request is served.
TEST_F(HelpViewer, AnUnmappedNumberCrashesNothing) {
    for (DWORD unmapped : {16ul, 0ul, 0xFFFFFFFFul}) {
        SCOPED_TRACE("number " + std::to_string(unmapped));
        ASSERT_TRUE(Help(HELP_CONTEXT, 15));
        ASSERT_EQ(WaitForTitle(kTopics[14].title), kTopics[14].title);
        DWORD pid = 0;
        GetWindowThreadProcessId(Viewer(), &pid);
        HANDLE viewer = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
        ASSERT_NE(viewer, nullptr);
        Help(HELP_CONTEXT, unmapped);
        if (WaitForSingleObject(viewer, 3000) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(viewer, &code);
            EXPECT_EQ(code, 0u) << "the viewer ended abnormally";
        } else {
            EXPECT_EQ(ShownTitle(), kTopics[14].title);
        }
        CloseHandle(viewer);
        ASSERT_TRUE(Help(HELP_CONTEXT, 17));
        EXPECT_EQ(WaitForTitle("The banner"), "The banner");
    }
}

TEST_F(HelpViewer, AnUnmappedNumberFirstDoesNotStopLaterHelp) {
    // With no viewer running yet, the request starts one that has nothing
    // to show; the next request must still find a working viewer.
    Help(HELP_CONTEXT, 16);
    wine_test::WaitFor([] { return Viewer() == nullptr; }, 5s);
    ASSERT_TRUE(Help(HELP_CONTEXT, 2));
    EXPECT_EQ(WaitForTitle(kTopics[1].title), kTopics[1].title);
}

}  // namespace
