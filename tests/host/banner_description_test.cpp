// The banner description's split and the rules that keep what the server
// sends from reaching the disk or the shell unchecked.
#include <gtest/gtest.h>

#include <vector>

#include "banner/Banner.h"
#include "shell/Shell.h"

namespace {

using banner::SplitDescription;

const std::string kAddr = "http://maker.example/dovrane/dovrane.php";

struct SplitCase {
    const char* name;
    std::string reply;
    std::string image, link, file;
};

class Split : public testing::TestWithParam<SplitCase> {};

TEST_P(Split, GivesTheThreeFields) {
    const SplitCase& c = GetParam();
    banner::BannerFields f = SplitDescription(c.reply, kAddr);
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

// Each group: the names or addresses of one kind, all taken or all refused.
struct RuleCase {
    const char* group;
    bool taken;
    std::vector<std::string> inputs;
};

std::string Name(const testing::TestParamInfo<RuleCase>& info) {
    return info.param.group;
}

class BannerFileName : public testing::TestWithParam<RuleCase> {};

TEST_P(BannerFileName, FollowsTheRule) {
    for (const std::string& name : GetParam().inputs)
        EXPECT_EQ(banner::IsBannerFileName(name), GetParam().taken) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, BannerFileName,
    testing::Values(
        RuleCase{"BareImageNames",
                 true,
                 {"banner.gif", "BANNER.GIF", "ad_2.jpg", "x.jpeg", "b.Bmp", "a.b.gif", "con1.gif",
                  "com10.gif", "console.gif", "nul_.bmp", "-.gif", "2026-12-07_ad.jpg"}},
        RuleCase{"FoldersDrivesAndStreams",
                 false,
                 {"..\\x.gif", "../x.gif", "a\\b.gif", "a/b.gif", "C:\\x.gif", "C:x.gif",
                  "\\\\server\\share\\x.gif", "\\x.gif", "x.gif:evil", "x.gif::$DATA", "..", ".",
                  "...gif", "a..gif", "..gif"}},
        RuleCase{"DevicesWithOrWithoutExtension",
                 false,
                 {"CON", "con.gif", "PRN.jpg", "aux.bmp", "NUL.gif", "COM1.gif", "com9.jpeg",
                  "LPT1.gif", "lpt0.gif", "nul.tar.gif"}},
        RuleCase{"OtherTypes",
                 false,
                 {"", "version.dll", "x.exe", "x.gif.exe", "x.GIF.scr", "gif", ".gif", "x.gi",
                  "x.gifx", "x.png", "x.gif."}},
        // Anything but letters, digits, '.', '-' and '_', wherever it stands.
        RuleCase{
            "OtherCharacters",
            false,
            {"ad 2.jpg", "x.gif ",   " x.gif",      "~1.jpg",     "x+y.gif",
             "x%20.gif", "x;.gif",   "x&y.gif",     "x'.gif",     "x(1).gif",
             "x,y.gif",  "x=.gif",   "x!.gif",      "x#.gif",     "x@.gif",
             "x[1].gif", "x{1}.gif", "x$.gif",      "CONIN$.gif", "x.gif\r",
             "x\n.gif",  "x\t.gif",  "x*.gif",      "x?.gif",     "x\".gif",
             "<x>.gif",  "x|y.gif",  "caf\xe9.gif", "x\x7f.gif",  std::string("x\0.exe.gif", 10)}}),
    Name);

class WebAddress : public testing::TestWithParam<RuleCase> {};

TEST_P(WebAddress, FollowsTheRule) {
    for (const std::string& url : GetParam().inputs)
        EXPECT_EQ(shell::IsWebAddress(url), GetParam().taken) << url;
}

const std::string kLongest = "http://a.example/" + std::string(2083 - 17, 'x');

INSTANTIATE_TEST_SUITE_P(
    Addresses, WebAddress,
    testing::Values(
        RuleCase{"HttpAndHttps",
                 true,
                 {"http://a", "https://a", "HTTP://maker.example/dovrane",
                  "hTtPs://x.example:8080/p?q=1&r=%20#f", "http://127.0.0.1:8917/", "http://a?x=@",
                  "http://a/#@", "http://a/p@q", "http://[::1]:8917/x", "http://[::1]",
                  "http://a:/", "http://a/!$&'()*+,;=~-._[]:", kLongest}},
        RuleCase{
            "OtherSchemesAndPaths",
            false,
            {"", "http:/x", "http:x", "ftp://a/b", "file:///C:/x.exe", "C:\\Windows\\notepad.exe",
             "\\\\server\\share", "javascript:x", "mailto:a@b", "httpx://a", " http://a"}},
        RuleCase{"NoHost",
                 false,
                 {"http://", "https://", "http:///x", "http://:80/", "http://?q", "http://#f",
                  "http://[]:80/", "http://[::1/x"}},
        RuleCase{"UserOrPassword",
                 false,
                 {"http://user@a", "http://user:pw@a/", "http://@a", "http://a.example@b.example/",
                  "https://x:@a?q"}},
        RuleCase{
            "BadPort", false, {"http://a:b/", "http://a:80x", "http://[::1]x/", "http://a:-1"}},
        RuleCase{
            "NonUriCharacters",
            false,
            {"http://a b", "http://a\r", "http://a\n", "http://a\t", "http://a\"-osint",
             "http://a/<x>", "http://a\\b", "http://a/|", "http://a/^", "http://a/`",
             "http://a/{x}", "http://caf\xe9", "http://a\x7f", std::string("http://a\0b", 10)}},
        RuleCase{"TooLong", false, {kLongest + "x"}}),
    Name);

TEST(BannerPath, AlwaysInsertsOneBackslash) {
    EXPECT_EQ(banner::JoinBannerPath(u"C:\\Program Files\\Dovrane", "banner.gif"),
              u"C:\\Program Files\\Dovrane\\banner.gif");
    // A folder that already ends in a backslash keeps the doubled one.
    EXPECT_EQ(banner::JoinBannerPath(u"C:\\", "banner.gif"), u"C:\\\\banner.gif");
}

}  // namespace
