// The banner's fetches and what the window does with what they bring, against
// recording stand-ins: the order of the steps, what is fetched, shown, listed
// and written, and what a hostile or broken server can and cannot make the
// program do.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "banner/Banner.h"
#include "common/version.h"
#include "support/MemoryFiles.h"
#include "support/TestDoubles.h"
#include "tests/host/picture_bytes.h"

namespace {

const std::string kAddr = "http://maker.example/dovrane/dovrane.php";
const std::u16string kFolder = u"C:\\Apps\\Dovrane";
const std::u16string kList = kFolder + u"\\Dovrane-banners.txt";
const std::u16string kPath = kFolder + u"\\banner.gif";
const std::string kGif = test_pictures::Gif(468, 60);
const std::string kNormal = "http://maker.example/b.gif\nhttp://maker.example/go\nbanner.gif\n";

// One log for every stand-in, so that tests can check the order of steps.
struct Log {
    std::vector<std::string> events;
};

struct FakeHttp : banner::Http {
    explicit FakeHttp(Log& log) : log(log) {}
    bool Get(const std::string& url, const banner::FetchLimits& limits,
             std::string* body) override {
        log.events.push_back("get " + url);
        limitsSeen[url] = limits;
        auto it = replies.find(url);
        if (it == replies.end()) return false;
        *body = it->second;
        return true;
    }
    Log& log;
    std::map<std::string, std::string> replies;  // a missing url fails
    std::map<std::string, banner::FetchLimits> limitsSeen;
};

// A path as the files' log shows it (the test's paths are ASCII).
std::string Shown(const std::u16string& path) {
    return std::string(path.begin(), path.end());
}

struct FakePicture : banner::PictureBox {
    explicit FakePicture(Log& log) : log(log) {}
    bool ShowPicture(const std::string& bytes) override {
        log.events.push_back("show " + std::to_string(bytes.size()));
        if (decodes) shown = bytes;
        return decodes;
    }
    Log& log;
    bool decodes = true;
    std::string shown;
};

struct FakeShell : shell::Shell {
    std::intptr_t ShellExecuteA(const std::string& operation, const std::string& file) override {
        calls.push_back(operation + " " + file);
        return result;
    }
    std::intptr_t result = 42;
    std::vector<std::string> calls;
};

class BannerTest : public testing::Test {
  protected:
    BannerTest() { files.log = &log.events; }

    Log log;
    FakeHttp http{log};
    testing_doubles::MemoryFiles files;
    FakePicture picture{log};
    FakeShell shell;
    testing_doubles::RecordingPrompter prompter;
    banner::Banner banner{files, picture, kFolder};

    void Serve(const std::string& description) { http.replies[kAddr] = description; }
    void ServeImage(const std::string& url, const std::string& bytes) { http.replies[url] = bytes; }
    void ServeNormal() {
        Serve(kNormal);
        ServeImage("http://maker.example/b.gif", kGif);
    }
    void Load() { banner::LoadBanner(http, kAddr, banner); }
    // A file's bytes as text; empty when there is none.
    std::string Text(const std::u16string& path) const {
        const auto it = files.files.find(path);
        return it == files.files.end() ? "" : std::string(it->second.begin(), it->second.end());
    }
    void Put(const std::u16string& path, const std::string& text) {
        files.files[path].assign(text.begin(), text.end());
    }
};

TEST_F(BannerTest, NormalBannerIsShownFromMemoryListedThenStoredAndLinked) {
    ServeNormal();
    Load();
    EXPECT_EQ(log.events, (std::vector<std::string>{
                              "get " + kAddr, "get http://maker.example/b.gif",
                              "show " + std::to_string(kGif.size()), "read " + Shown(kList),
                              "exists " + Shown(kPath), "append " + Shown(kList),
                              "create " + Shown(kList), "write " + Shown(kPath)}));
    EXPECT_EQ(picture.shown, kGif);
    EXPECT_EQ(Text(kPath), kGif);
    EXPECT_EQ(Text(kList), "banner.gif\r\n");
    EXPECT_EQ(banner.BannerLink(), "http://maker.example/go");
}

TEST_F(BannerTest, ListedNameIsWrittenOverWithoutListingItAgain) {
    Put(kList, "old.jpg\r\nBANNER.GIF\r\n");
    Put(kPath, "an older banner");
    ServeNormal();
    Load();
    EXPECT_EQ(Text(kPath), kGif);
    EXPECT_EQ(Text(kList), "old.jpg\r\nBANNER.GIF\r\n");
    EXPECT_EQ(log.events.back(), "write " + Shown(kPath));
}

TEST_F(BannerTest, FileNotListedIsNeverWrittenOverButTheBannerShows) {
    Put(kList, "other.gif\r\n");
    Put(kPath, "the user's picture");
    ServeNormal();
    Load();
    EXPECT_EQ(picture.shown, kGif);
    EXPECT_EQ(Text(kPath), "the user's picture");
    EXPECT_EQ(Text(kList), "other.gif\r\n");
}

TEST_F(BannerTest, BannerThatCannotBeListedOrWrittenIsStillShown) {
    // A list that cannot be read or appended whole, or an image that cannot
    // be written: no image is stored.
    const std::function<void()> faults[] = {
        [&] { files.failing[kList] = files::kAccessDenied; },  // the list unread
        [&] { files.failWith = files::kDiskFull; },            // the list not appended
        [&] { files.failing[kPath] = files::kDiskFull; },      // the image not written
    };
    for (const auto& fault : faults) {
        files.failing.clear();
        files.failWith = files::kOk;
        files.files.clear();
        fault();
        picture.shown.clear();
        ServeNormal();
        Load();
        EXPECT_EQ(files.files.count(kPath), 0u);
        EXPECT_EQ(picture.shown, kGif);
    }
}

TEST_F(BannerTest, NoImageIsStoredWithoutAFolderOrAPictureThatDecodes) {
    ServeNormal();
    picture.decodes = false;
    Load();
    EXPECT_TRUE(files.files.empty());
    picture.decodes = true;
    banner::Banner homeless{files, picture, u""};
    banner::LoadBanner(http, kAddr, homeless);
    EXPECT_EQ(picture.shown, kGif);
    EXPECT_TRUE(files.files.empty());
}

// Each new banner written and shown leaves the one before it and deletes
// the older listed ones; a file not listed, a line cut short and a line that
// is no banner name are never touched.
TEST_F(BannerTest, AtMostTwoBannersStayOnTheDisk) {
    Put(kList, "old1.gif\r\nOLD2.jpg\r\n..\\x.gif\r\nold3.bmp\r\nold1.GIF\r\ncut.gif");
    for (const char16_t* name : {u"old1.gif", u"OLD2.jpg", u"old3.bmp", u"mine.gif", u"cut.gif"})
        Put(kFolder + u"\\" + name, "x");
    ServeNormal();  // names banner.gif
    banner::LoadBanner(http, kAddr, banner);
    std::vector<std::string> left;
    for (const auto& [path, bytes] : files.files)
        left.push_back(Shown(path.substr(path.rfind(u'\\') + 1)));
    EXPECT_EQ(left, (std::vector<std::string>{"Dovrane-banners.txt", "banner.gif", "cut.gif",
                                              "mine.gif", "old1.gif"}));
    EXPECT_EQ(Text(kList).substr(0, 8), "old1.gif");  // the list keeps every name
}

TEST(BannerList, ANameCountsOnlyOnAWholeLineOfItsOwnRegardlessOfCase) {
    struct Case {
        const char* list;
        bool listed;
    };
    const Case cases[] = {
        {"", false},
        {"banner.gif\r\n", true},
        {"BANNER.Gif\r\n", true},
        {"banner.gif\n", true},
        {"other.gif\r\nbanner.gif\r\n", true},
        {"banner.gif", false},  // an append cut short
        {"xbanner.gif\r\n", false},
        {"banner.gif.bmp\r\n", false},
        {"banner.gif \r\n", false},
        {"banner.gif\r\r\n", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(banner::IsListedBanner(c.list, "banner.gif"), c.listed) << c.list;
}

TEST(BannerList, EntryStartsALineOfItsOwn) {
    EXPECT_EQ(banner::BannerListEntry("", "a.gif"), "a.gif\r\n");
    EXPECT_EQ(banner::BannerListEntry("b.gif\r\n", "a.gif"), "a.gif\r\n");
    EXPECT_EQ(banner::BannerListEntry("b.gi", "a.gif"), "\r\na.gif\r\n");
}

TEST_F(BannerTest, BothFetchesAreBoundedInTimeAndSize) {
    ServeNormal();
    Load();
    ASSERT_EQ(http.limitsSeen.size(), 2u);
    for (const auto& [url, limits] : http.limitsSeen) {
        EXPECT_GT(limits.maxBytes, 0u) << url;
        EXPECT_GT(limits.totalTimeoutMs, 0u) << url;
        EXPECT_LE(limits.totalTimeoutMs, 10000u) << url;
    }
    EXPECT_LE(http.limitsSeen[kAddr].maxBytes, 64u * 1024);
    // The start waits for neither, only for a grace well under a second.
    EXPECT_LT(banner::kBannerGraceMs, 1000u);
}

TEST_F(BannerTest, LinkIsSetBeforeTheImageFailsToArrive) {
    Serve("http://maker.example/missing.gif\nhttp://maker.example/go\nbanner.gif");
    Load();
    EXPECT_EQ(banner.BannerLink(), "http://maker.example/go");
    EXPECT_EQ(log.events.back(), "get http://maker.example/missing.gif");
    EXPECT_TRUE(files.files.empty());
}

TEST_F(BannerTest, UnreachableServerLeavesNoLinkAndNoBanner) {
    Load();
    EXPECT_EQ(log.events, std::vector<std::string>{"get " + kAddr});
    EXPECT_EQ(banner.BannerLink(), "");
    banner.Picture1_Click(shell, prompter);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(BannerTest, EmptyReplyLinksToTheDescriptionAddressAndFetchesNothingElse) {
    Serve("");
    Load();
    EXPECT_EQ(banner.BannerLink(), kAddr);
    EXPECT_EQ(log.events, std::vector<std::string>{"get " + kAddr});
    banner.Picture1_Click(shell, prompter);
    EXPECT_EQ(shell.calls, std::vector<std::string>{"Open " + kAddr});
}

TEST_F(BannerTest, UnsafeFileNamesAreNeitherFetchedNorWritten) {
    for (const char* name : {"..\\x.gif", "C:\\x.gif", "version.dll", "CON", "", "x.gif\r",
                             "sub\\banner.gif", "CON.gif", "Dovrane-banners.txt"}) {
        log.events.clear();
        Serve(std::string("http://maker.example/b.gif\nhttp://maker.example/go\n") + name);
        ServeImage("http://maker.example/b.gif", kGif);
        Load();
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
        Load();
        EXPECT_EQ(log.events, std::vector<std::string>{"get " + kAddr}) << image;
    }
}

TEST_F(BannerTest, CrLfDescriptionShowsNoBannerAndOpensNothing) {
    // Every field keeps its carriage return, which no address or name rule
    // lets through.
    Serve("http://maker.example/b.gif\r\nhttp://maker.example/go\r\nbanner.gif\r\n");
    ServeImage("http://maker.example/b.gif", kGif);
    Load();
    EXPECT_EQ(banner.BannerLink(), "http://maker.example/go\r");
    EXPECT_EQ(log.events.size(), 1u);
    banner.Picture1_Click(shell, prompter);
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(BannerTest, PicturesTooLargeOrUnreadableAreNeitherShownNorWritten) {
    for (const std::string& image :
         {test_pictures::Gif(15000, 15000), test_pictures::Jpeg(15000, 15000),
          test_pictures::Bmp(2049, 60), std::string("GIF89a"), std::string("<html>Not found")}) {
        log.events.clear();
        Serve(kNormal);
        ServeImage("http://maker.example/b.gif", image);
        Load();
        EXPECT_EQ(log.events.back(), "get http://maker.example/b.gif");
    }
    EXPECT_TRUE(files.files.empty());
    EXPECT_EQ(banner.BannerLink(), "http://maker.example/go");
}

TEST_F(BannerTest, ClickOpensOnlyWebLinks) {
    for (const char* link :
         {"C:\\Windows\\notepad.exe", "file:///C:/x", "mailto:a@b", "", " ", "http://a\"-osint"}) {
        Serve(std::string("x\n") + link + "\nx");
        Load();
        banner.Picture1_Click(shell, prompter);
    }
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(BannerTest, ClickReportsOnlyAShellResultOfExactlyZero) {
    Serve("x\nhttps://maker.example/go\nx");
    Load();
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
    EXPECT_EQ(shell::OpenLink(shell, prompter, ""), 0);
    EXPECT_EQ(shell.calls, std::vector<std::string>{"Open "});
    EXPECT_EQ(prompter.boxes.size(), 1u);
}

TEST(DescriptionAddress, IsTheServersDescriptionPath) {
    EXPECT_EQ(std::string(banner::kDescriptionAddress), DOVRANE_SERVER "/dovrane/dovrane.php");
}

}  // namespace
