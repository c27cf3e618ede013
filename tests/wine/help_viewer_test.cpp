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

class HelpViewer : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string reason;
        path_ = wine_test::BuiltHelpFile(&reason);
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
    EXPECT_EQ(WaitForTitle(wine_test::kHelpContentsTitle), wine_test::kHelpContentsTitle);
}

TEST_F(HelpViewer, FinderOpensTheContentsPage) {
    // What Help > Contents asks for.
    ASSERT_TRUE(Help(HELP_FINDER, 0));
    EXPECT_EQ(WaitForTitle(wine_test::kHelpContentsTitle), wine_test::kHelpContentsTitle);
}

TEST_F(HelpViewer, EachContextNumberShowsItsTopic) {
    for (const auto& [number, title] : wine_test::HelpTopicTitles()) {
        SCOPED_TRACE("topic " + std::to_string(number));
        ASSERT_TRUE(Help(HELP_CONTEXT, static_cast<DWORD>(number)));
        EXPECT_EQ(WaitForTitle(title), title);
    }
}

// Wine's viewer gives up and closes on a number the file does not map, also
// with a topic open; Windows' viewer says the topic does not exist. Either is
// fine, as long as nothing crashes and the next request is served.
TEST_F(HelpViewer, AnUnmappedNumberCrashesNothing) {
    for (DWORD unmapped : {16ul, 0ul, 0xFFFFFFFFul}) {
        SCOPED_TRACE("number " + std::to_string(unmapped));
        ASSERT_TRUE(Help(HELP_CONTEXT, 15));
        ASSERT_EQ(WaitForTitle(wine_test::HelpTopicTitles().at(15)),
                  wine_test::HelpTopicTitles().at(15));
        DWORD pid = 0;
        GetWindowThreadProcessId(Viewer(), &pid);
        const win32::Handle viewer{
            OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid)};
        ASSERT_TRUE(viewer);
        Help(HELP_CONTEXT, unmapped);
        if (WaitForSingleObject(viewer.get(), 3000) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(viewer.get(), &code);
            EXPECT_EQ(code, 0u) << "the viewer ended abnormally";
        } else {
            EXPECT_EQ(ShownTitle(), wine_test::HelpTopicTitles().at(15));
        }
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
    EXPECT_EQ(WaitForTitle(wine_test::HelpTopicTitles().at(2)), wine_test::HelpTopicTitles().at(2));
}

}  // namespace
