// The banner description's split and the rules that keep what the server
// sends from reaching the disk or the shell unchecked.
#include <gtest/gtest.h>

#include "ui/Banner.h"

namespace {

using ui::SplitDescription;

const std::string kAddr = "http://maker.example/dovrane/dovrane.php";

struct SplitCase {
    const char* name;
    std::string reply;
    std::string image, link, file;
};

class Split : public testing::TestWithParam<SplitCase> {};

TEST_P(Split, GivesTheThreeFields) {
    const SplitCase& c = GetParam();
    ui::BannerFields f = SplitDescription(c.reply, kAddr);
    EXPECT_EQ(f.imageAddress, c.image);
    EXPECT_EQ(f.link, c.link);
    EXPECT_EQ(f.fileName, c.file);
}

// A, B, C, D: non-empty texts without line feeds.
INSTANTIATE_TEST_SUITE_P(
    Replies, Split,
    testing::Values(SplitCase{"ThreeLines", "A\nB\nC\n", "A", "B", "C"},
                    SplitCase{"TextAfterLineThreeIgnored", "A\nB\nC\nD", "A", "B", "C"},
                    SplitCase{"MoreLinesIgnored", "A\nB\nC\nD\nE\n", "A", "B", "C"},
                    SplitCase{"NoFinalLineFeed", "A\nB\nC", "A", "B", "C"},
                    SplitCase{"OneLineNoFeed", "A", "A", kAddr, ""},
                    SplitCase{"OneLine", "A\n", "A", kAddr, ""},
                    SplitCase{"TwoLinesNoFeed", "A\nB", "A", "B", ""},
                    SplitCase{"TwoLines", "A\nB\n", "A", "B", ""},
                    SplitCase{"EmptyFirstLine", "\nB\nC", "", "B", "C"},
                    SplitCase{"EmptyReply", "", "", kAddr, ""},
                    SplitCase{"EmptyMiddleLine", "A\n\nC", "A", "", "C"},
                    SplitCase{"OnlyFeeds", "\n\n\n", "", "", ""},
                    SplitCase{"SingleFeed", "\n", "", kAddr, ""},
                    // A carriage return is an ordinary character: fields ended by a line
                    // feed keep it.
                    SplitCase{"CrLf", "A\r\nB\r\nC\r\n", "A\r", "B\r", "C\r"},
                    SplitCase{"CrLfNoFinal", "A\r\nB\r\nC", "A\r", "B\r", "C"},
                    SplitCase{"CrOnly", "A\rB\rC", "A\rB\rC", kAddr, ""},
                    SplitCase{"NothingTrimmed", " A \n\tB\n C ", " A ", "\tB", " C "},
                    SplitCase{"NulBytesKept", std::string("A\0x\nB\nC", 7), std::string("A\0x", 3),
                              "B", "C"}),
    [](const testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

TEST(BannerFileName, TakesBareImageNames) {
    for (const char* name :
         {"banner.gif", "BANNER.GIF", "ad 2.jpg", "x.jpeg", "b.Bmp", "a.b.gif", "con1.gif",
          "com10.gif", "console.gif", "nul_.bmp", "-.gif", "~1.jpg"}) {
        EXPECT_TRUE(ui::IsBannerFileName(name)) << name;
    }
}

TEST(BannerFileName, RefusesFoldersDrivesAndStreams) {
    for (const char* name : {"..\\x.gif", "../x.gif", "a\\b.gif", "a/b.gif", "C:\\x.gif", "C:x.gif",
                             "\\\\server\\share\\x.gif", "\\x.gif", "x.gif:evil", "x.gif::$DATA",
                             "..", ".", "...gif", "a..gif", "..gif"}) {
        EXPECT_FALSE(ui::IsBannerFileName(name)) << name;
    }
}

TEST(BannerFileName, RefusesDevicesWithOrWithoutExtension) {
    for (const char* name :
         {"CON", "con.gif", "CON .gif", "PRN.jpg", "aux.bmp", "NUL.gif", "COM1.gif", "com9.jpeg",
          "LPT1.gif", "lpt0.gif", "CONIN$.gif", "conout$.gif", "CLOCK$.gif", "nul.tar.gif"}) {
        EXPECT_FALSE(ui::IsBannerFileName(name)) << name;
    }
}

TEST(BannerFileName, RefusesOtherTypesAndNamesWindowsWouldAlter) {
    for (const char* name :
         {"",        "version.dll", "x.exe",       "x.gif.exe", "x.GIF.scr", "gif",
          ".gif",    "x.gi",        "x.gifx",      "x.png",     "x.gif.",    "x.gif ",
          "x.gif\r", "x\n.gif",     "x\t.gif",     "x*.gif",    "x?.gif",    "x\".gif",
          "<x>.gif", "x|y.gif",     "caf\xe9.gif", "x\x7f.gif"}) {
        EXPECT_FALSE(ui::IsBannerFileName(name)) << name;
    }
    EXPECT_FALSE(ui::IsBannerFileName(std::string("x\0.exe.gif", 10)));
}

TEST(WebAddress, TakesHttpAndHttpsOnly) {
    for (const char* url : {"http://a", "https://a", "HTTP://maker.example/dovrane",
                            "hTtPs://x.example:8080/p?q=1&r=%20#f", "http://127.0.0.1:8917/"}) {
        EXPECT_TRUE(ui::IsWebAddress(url)) << url;
    }
    for (const char* url : {"",
                            "http://",
                            "https://",
                            "http:///x",
                            "http:/x",
                            "http:x",
                            "ftp://a/b",
                            "file:///C:/x.exe",
                            "C:\\Windows\\notepad.exe",
                            "\\\\server\\share",
                            "javascript:x",
                            "mailto:a@b",
                            " http://a",
                            "http://a b",
                            "http://a\r",
                            "http://a\n",
                            "http://a\"-osint",
                            "http://caf\xe9",
                            "http://a\x7f",
                            "httpx://a"}) {
        EXPECT_FALSE(ui::IsWebAddress(url)) << url;
    }
}

TEST(BannerPath, AlwaysInsertsOneBackslash) {
    EXPECT_EQ(ui::JoinBannerPath("C:\\Program Files\\Dovrane", "banner.gif"),
              "C:\\Program Files\\Dovrane\\banner.gif");
    // A folder that already ends in a backslash keeps the doubled one.
    EXPECT_EQ(ui::JoinBannerPath("C:\\", "banner.gif"), "C:\\\\banner.gif");
}

}  // namespace
