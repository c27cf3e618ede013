// LoadBanner, DownloadBanner and Picture1_Click against recording stand-ins:
// the order of the steps, what is fetched, written and shown, and what a
// hostile or broken server can and cannot make the program do.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "app/version.h"
#include "support/TestDoubles.h"
#include "tests/host/picture_bytes.h"
#include "ui/Banner.h"

namespace {

const std::string kAddr = "http://maker.example/dovrane/dovrane.php";
const std::string kFolder = "C:\\Apps\\Dovrane";
const std::string kGif = test_pictures::Gif(468, 60);

// One log for every stand-in, so that tests can check the order of steps.
struct Log {
    std::vector<std::string> events;
};

struct FakeHttp : ui::Http {
    explicit FakeHttp(Log& log) : log(log) {}
    bool Get(const std::string& url, const ui::FetchLimits& limits, std::string* body) override {
        log.events.push_back("get " + url);
        limitsSeen[url] = limits;
        auto it = replies.find(url);
        if (it == replies.end()) return false;
        *body = it->second;
        return true;
    }
    Log& log;
    std::map<std::string, std::string> replies;  // a missing url fails
    std::map<std::string, ui::FetchLimits> limitsSeen;
};

struct FakeFiles : ui::FileWriter {
    explicit FakeFiles(Log& log) : log(log) {}
    bool WriteWhole(const std::string& path, const std::string& bytes) override {
        log.events.push_back("write " + path);
        if (fail) return false;
        files[path] = bytes;
        return true;
    }
    Log& log;
    bool fail = false;
    std::map<std::string, std::string> files;
};

struct FakePicture : ui::PictureBox {
    explicit FakePicture(Log& log) : log(log) {}
    bool LoadPicture(const std::string& path) override {
        log.events.push_back("load " + path);
        return loads;
    }
    Log& log;
    bool loads = true;
};

struct FakeShell : ui::Shell {
    std::intptr_t ShellExecuteA(const std::string& operation, const std::string& file) override {
        calls.push_back(operation + " " + file);
        return result;
    }
    std::intptr_t result = 42;
    std::vector<std::string> calls;
};

class BannerTest : public testing::Test {
  protected:
    Log log;
    FakeHttp http{log};
    FakeFiles files{log};
    FakePicture picture{log};
    FakeShell shell;
    testing_doubles::RecordingPrompter prompter;
    ui::Banner banner{http, files, kFolder, kAddr};

    void Serve(const std::string& description) { http.replies[kAddr] = description; }
    void ServeImage(const std::string& url, const std::string& bytes) { http.replies[url] = bytes; }
};

TEST_F(BannerTest, NormalDescriptionStoresShowsAndLinks) {
    Serve("http://maker.example/b.gif\nhttp://maker.example/go\nbanner.gif\n");
    ServeImage("http://maker.example/b.gif", kGif);
    banner.LoadBanner(picture);
    const std::string path = kFolder + "\\banner.gif";
    EXPECT_EQ(log.events,
              (std::vector<std::string>{"get " + kAddr, "get http://maker.example/b.gif",
                                        "write " + path, "load " + path}));
    EXPECT_EQ(files.files[path], kGif);
    EXPECT_EQ(banner.BannerLink(), "http://maker.example/go");
}

TEST_F(BannerTest, BothFetchesAreBoundedInTimeAndSize) {
    Serve("http://maker.example/b.gif\nhttp://maker.example/go\nbanner.gif\n");
    ServeImage("http://maker.example/b.gif", kGif);
    banner.LoadBanner(picture);
    ASSERT_EQ(http.limitsSeen.size(), 2u);
    for (const auto& [url, limits] : http.limitsSeen) {
        EXPECT_GT(limits.maxBytes, 0u) << url;
        EXPECT_GT(limits.totalTimeoutMs, 0u) << url;
        // Together the two must let the window come up within seconds.
        EXPECT_LE(limits.totalTimeoutMs, 10000u) << url;
    }
    EXPECT_LE(http.limitsSeen[kAddr].maxBytes, 64u * 1024);
}

TEST_F(BannerTest, LinkIsSetBeforeTheImageFailsToArrive) {
    Serve("http://maker.example/missing.gif\nhttp://maker.example/go\nbanner.gif");
    banner.LoadBanner(picture);
    EXPECT_EQ(banner.BannerLink(), "http://maker.example/go");
    EXPECT_EQ(log.events.back(), "get http://maker.example/missing.gif");
    EXPECT_TRUE(files.files.empty());
}

TEST_F(BannerTest, UnreachableServerLeavesNoLinkAndNoBanner) {
    banner.LoadBanner(picture);
    EXPECT_EQ(log.events, std::vector<std::string>{"get " + kAddr});
    EXPECT_EQ(banner.BannerLink(), "");
    banner.Picture1_Click(shell, prompter);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(BannerTest, EmptyReplyLinksToTheDescriptionAddressAndFetchesNothingElse) {
    Serve("");
    banner.LoadBanner(picture);
    EXPECT_EQ(banner.BannerLink(), kAddr);
    EXPECT_EQ(log.events, std::vector<std::string>{"get " + kAddr});
    banner.Picture1_Click(shell, prompter);
    EXPECT_EQ(shell.calls, std::vector<std::string>{"Open " + kAddr});
}

TEST_F(BannerTest, UnsafeFileNamesAreNeitherFetchedNorWritten) {
    for (const char* name : {"..\\x.gif", "C:\\x.gif", "version.dll", "CON", "", "x.gif\r",
                             "sub\\banner.gif", "CON.gif"}) {
        log.events.clear();
        Serve(std::string("http://maker.example/b.gif\nhttp://maker.example/go\n") + name);
        ServeImage("http://maker.example/b.gif", kGif);
        banner.LoadBanner(picture);
        EXPECT_EQ(log.events, std::vector<std::string>{"get " + kAddr}) << name;
        EXPECT_EQ(banner.BannerLink(), "http://maker.example/go");
    }
    EXPECT_TRUE(files.files.empty());
}

TEST_F(BannerTest, ImageIsFetchedOnlyFromWebAddresses) {
    for (const char* image : {"file:///C:/boot.ini", "C:\\boot.ini", "\\\\server\\share\\b.gif",
                              "ftp://maker.example/b.gif", "b.gif", ""}) {
        log.events.clear();
        Serve(std::string(image) + "\nhttp://maker.example/go\nbanner.gif\n");
        ServeImage(image, kGif);
        banner.LoadBanner(picture);
        EXPECT_EQ(log.events, std::vector<std::string>{"get " + kAddr}) << image;
    }
}

TEST_F(BannerTest, CrLfDescriptionShowsNoBannerAndOpensNothing) {
    // Every field keeps its carriage return, which no address or name rule
    // lets through.
    Serve("http://maker.example/b.gif\r\nhttp://maker.example/go\r\nbanner.gif\r\n");
    ServeImage("http://maker.example/b.gif", kGif);
    banner.LoadBanner(picture);
    EXPECT_EQ(banner.BannerLink(), "http://maker.example/go\r");
    EXPECT_EQ(log.events.size(), 1u);
    banner.Picture1_Click(shell, prompter);
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(BannerTest, PicturesTooLargeOrUnreadableAreNeitherWrittenNorShown) {
    for (const std::string& image :
         {test_pictures::Gif(15000, 15000), test_pictures::Jpeg(15000, 15000),
          test_pictures::Bmp(2049, 60), std::string("GIF89a"), std::string("<html>Not found")}) {
        log.events.clear();
        Serve("http://maker.example/b.gif\nhttp://maker.example/go\nbanner.gif\n");
        ServeImage("http://maker.example/b.gif", image);
        banner.LoadBanner(picture);
        EXPECT_EQ(log.events.back(), "get http://maker.example/b.gif");
    }
    EXPECT_TRUE(files.files.empty());
    EXPECT_EQ(banner.BannerLink(), "http://maker.example/go");
}

TEST_F(BannerTest, UnwritableFolderShowsNothing) {
    Serve("http://maker.example/b.gif\nhttp://maker.example/go\nbanner.gif\n");
    ServeImage("http://maker.example/b.gif", kGif);
    files.fail = true;
    banner.LoadBanner(picture);
    EXPECT_EQ(log.events.back(), "write " + kFolder + "\\banner.gif");
    EXPECT_EQ(banner.BannerLink(), "http://maker.example/go");
}

// The program's folder could not be determined: nothing is fetched or
// written, least of all beside whatever the current folder is.
TEST_F(BannerTest, AnUnknownProgramFolderGivesNoBannerFile) {
    Serve("http://maker.example/b.gif\nhttp://maker.example/go\nbanner.gif\n");
    ServeImage("http://maker.example/b.gif", kGif);
    ui::Banner nowhere{http, files, "", kAddr};
    nowhere.LoadBanner(picture);
    EXPECT_EQ(log.events, std::vector<std::string>{"get " + kAddr});
    EXPECT_TRUE(files.files.empty());
    EXPECT_EQ(nowhere.BannerLink(), "http://maker.example/go");
}

TEST_F(BannerTest, ClickOpensOnlyWebLinks) {
    for (const char* link :
         {"C:\\Windows\\notepad.exe", "file:///C:/x", "mailto:a@b", "", " ", "http://a\"-osint"}) {
        Serve(std::string("x\n") + link + "\nx");
        banner.LoadBanner(picture);
        banner.Picture1_Click(shell, prompter);
    }
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(BannerTest, ClickReportsOnlyAShellResultOfExactlyZero) {
    Serve("x\nhttps://maker.example/go\nx");
    banner.LoadBanner(picture);
    for (std::intptr_t result : {2, 5, 31, 32, 33}) {
        shell.result = result;
        banner.Picture1_Click(shell, prompter);
    }
    EXPECT_TRUE(prompter.boxes.empty());
    shell.result = 0;
    banner.Picture1_Click(shell, prompter);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, "No browser installed! Cannot open help file.");
    EXPECT_EQ(prompter.boxes[0].style, 0u);
    EXPECT_EQ(prompter.boxes[0].caption, "Dovrane");
    // Every click reaches the shell: nothing guards a second one.
    EXPECT_EQ(shell.calls.size(), 6u);
    EXPECT_EQ(shell.calls[0], "Open https://maker.example/go");
}

TEST(OpenLink, HandsAnyAddressToTheShell) {
    // The product page link is ours, not the server's: no web-address rule.
    FakeShell shell;
    testing_doubles::RecordingPrompter prompter;
    shell.result = 0;
    EXPECT_EQ(ui::OpenLink(shell, prompter, ""), 0);
    EXPECT_EQ(shell.calls, std::vector<std::string>{"Open "});
    EXPECT_EQ(prompter.boxes.size(), 1u);
}

TEST(DescriptionAddress, IsTheServersDescriptionPath) {
    EXPECT_EQ(std::string(ui::kDescriptionAddress), DOVRANE_SERVER "/dovrane/dovrane.php");
}

}  // namespace
