// What the compiler refuses, and where it says the fault is.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "tools/hlpc/HlpFile.h"
#include "tools/hlpc/SourceReader.h"

namespace hlpc {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct Refusal {
    int line;
    std::string message;
};

// Reads and checks a source; the refusal it meets, or line -1 for none.
Refusal Compile(const std::string& source) {
    try {
        CheckProject(ReadSource(source));
        return {-1, ""};
    } catch (const CompileError& e) {
        return {e.line(), e.what()};
    }
}

const char kHead[] =
    ".help Test\n"                 // 1
    ".topic IDH_CONTENTS\n"        // 2
    ".title Contents\n"            // 3
    "- {First|IDH_FIRST}\n"        // 4
    ".topic IDH_FIRST 1\n"         // 5
    ".title First\n"               // 6
    "Text of the first topic.\n";  // 7
// kHead from its line 2, for sources with their own first lines.
const char* const kTopics = kHead + std::strlen(".help Test\n");

TEST(Compiler, AcceptsAWellFormedSource) {
    EXPECT_EQ(Compile(kHead).line, -1);
}

TEST(Compiler, RefusesADuplicateContextNumberAtItsSecondUse) {
    Refusal r = Compile(std::string(kHead) + ".topic IDH_SECOND 1\n.title Second\nText.\n");
    EXPECT_EQ(r.line, 8);
    EXPECT_THAT(r.message, HasSubstr("context number 1 is used twice"));
    EXPECT_THAT(r.message, HasSubstr("IDH_FIRST at line 5"));
}

TEST(Compiler, RefusesContextNamesThatHashAlike) {
    // Distinct names whose hashes meet once the 32 bits wrap.
    ASSERT_EQ(ContextHash("IDH_DVOLKGQX"), ContextHash("IDH_SACPIRPF"));
    Refusal r = Compile(std::string(kHead) +
                        ".topic IDH_DVOLKGQX\n.title A\nText.\n"
                        ".topic IDH_SACPIRPF\n.title B\nText.\n");
    EXPECT_EQ(r.line, 11);
    EXPECT_THAT(r.message, HasSubstr("same hash as IDH_DVOLKGQX (line 8)"));
    // Names that differ only in case are one name to the viewer.
    r = Compile(std::string(kHead) + ".topic idh_first\n.title A\nText.\n");
    EXPECT_EQ(r.line, 8);
    EXPECT_THAT(r.message, HasSubstr("same hash as IDH_FIRST"));
    r = Compile(std::string(kHead) + ".topic IDH_FIRST\n.title A\nText.\n");
    EXPECT_THAT(r.message, HasSubstr("IDH_FIRST is used twice"));
}

TEST(Compiler, RefusesAJumpToAMissingTopicAtTheJumpsLine) {
    Refusal r = Compile(std::string(kHead) + "More text\nand {a jump|IDH_NOWHERE} here.\n");
    EXPECT_EQ(r.line, 9);
    EXPECT_THAT(r.message, HasSubstr("missing topic: IDH_NOWHERE"));
}

TEST(Compiler, RefusesCharactersOutsideCodePage1252) {
    Refusal r = Compile(std::string(kHead) + "Arrows \xE2\x86\x92 are not there.\n");
    EXPECT_EQ(r.line, 8);
    EXPECT_THAT(r.message, HasSubstr("U+2192 is not in code page 1252"));
    r = Compile(std::string(kHead) + "A C1 control \xC2\x85.\n");
    EXPECT_THAT(r.message, HasSubstr("U+0085"));
    r = Compile(std::string(kHead) + "Latin-1 bytes \xE9 are not UTF-8.\n");
    EXPECT_EQ(r.line, 8);
    EXPECT_THAT(r.message, HasSubstr("not valid UTF-8"));
    // The euro and typographic quotes are in the page; comments are not text.
    EXPECT_EQ(Compile(std::string(kHead) + "\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D\n"
                                           "# \xE2\x86\x92\n")
                  .line,
              -1);
}

TEST(Compiler, RefusesMalformedLinesWithTheirNumbers) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"{unclosed|IDH_FIRST\n", "not closed by }"},
        {"{no target}\n", "{shown text|CONTEXT_NAME}"},
        {"{|IDH_FIRST}\n", "no text to show"},
        {"a stray } here\n", "stray }"},
        {"**bold\n", "** is not closed"},
        {".topc IDH_X\n", "unknown directive .topc"},
        {".title Again\n", "has a .title already"},
        {".help Late\n", "before the first .topic"},
        {".topic IDH_X 12a\n", "not a whole number"},
        {".topic IDH_X 4294967296\n", "not a whole number"},
        {".topic IDH_X 1 2\n", "unexpected \"2\""},
        {".topic IDH-X\n.title X\nText.\n", "may hold only letters"},
    };
    for (const auto& c : cases) {
        Refusal r = Compile(std::string(kHead) + c.text);
        EXPECT_EQ(r.line, 8) << c.text;
        EXPECT_THAT(r.message, HasSubstr(c.message)) << c.text;
    }
    Refusal r = Compile(std::string(kHead) + ".topic IDH_X\nText.\n");
    EXPECT_EQ(r.line, 9);
    EXPECT_THAT(r.message, HasSubstr("before the topic's .title"));
    r = Compile(std::string(kHead) + ".topic IDH_X\n\n.topic IDH_Y\n.title Y\nText.\n");
    EXPECT_EQ(r.line, 10);
    EXPECT_THAT(r.message, HasSubstr("IDH_X (line 8) has no .title"));
    EXPECT_EQ(Compile("# nothing\n").line, 1);
}

// What the file's fields can hold: the help title and copyright line are
// |SYSTEM records with a 16-bit length, and every topic's title has a place
// in the one-page title index (paragraphs: TopicLayout tests).
TEST(Compiler, RefusesTextsTooLongForTheFileAtTheirLines) {
    const std::string body = kTopics;
    const std::string longest(65534, 'x');
    EXPECT_EQ(Compile(".help " + longest + "\n.copyright " + longest + "\n" + body).line, -1);

    const struct {
        std::string source;
        int line;
        const char* message;
    } cases[] = {
        {".help " + std::string(70000, 'x') + "\n" + body, 1, ".help text is too long"},
        {".help T\n.copyright " + longest + "x\n" + body, 2, "at most 65534"},
        {std::string(kHead) + ".topic IDH_LONG\n.title " + std::string(2100, 't') + "\nText.\n", 9,
         "IDH_LONG does not fit in the help file's title index"},
    };
    for (const auto& c : cases) {
        Refusal r = Compile(c.source);
        EXPECT_EQ(r.line, c.line) << c.message;
        EXPECT_THAT(r.message, HasSubstr(c.message));
    }

    // Nine titles of 200 characters fit the title index (with the two of
    // kHead); the tenth does not.
    std::string many = kHead;
    for (int i = 0; i < 10; ++i) {
        many +=
            ".topic IDH_T" + std::to_string(i) + "\n.title " + std::string(200, 't') + "\nText.\n";
    }
    Refusal r = Compile(many);
    EXPECT_EQ(r.line, 9 + 9 * 3);
    EXPECT_THAT(r.message, HasSubstr("IDH_T9 does not fit in the help file's title index"));
}

TEST(Reader, ParagraphsJoinLinesAndItemsHangFromABullet) {
    HelpProject p = ReadSource(
        ".help My Help\r\n.topic IDH_A 4294967295\n.title  A title \n"
        "One line\n\tand the next **bold**.\n\n- item {jump|IDH_A}\n  goes on\n- second\n");
    EXPECT_EQ(p.title, "My Help");
    ASSERT_EQ(p.topics.size(), 1u);
    const Topic& t = p.topics[0];
    EXPECT_EQ(t.mapNumber, 4294967295u);
    EXPECT_EQ(t.title, "A title");
    ASSERT_EQ(t.paragraphs.size(), 4u);  // the title comes first
    EXPECT_EQ(t.paragraphs[0].runs[0].font, Font::Heading);
    std::string joined;
    for (const TextRun& r : t.paragraphs[1].runs) joined += r.text;
    EXPECT_EQ(joined, "One line and the next bold.");
    EXPECT_EQ(t.paragraphs[1].runs[3].font, Font::Bold);
    const Paragraph& item = t.paragraphs[2];
    EXPECT_EQ(item.line, 7);
    EXPECT_LT(item.format.firstLineIndent, 0);
    EXPECT_EQ(item.runs[0].text, "\x95 ");
    EXPECT_EQ(item.runs[2].jump, "IDH_A");
    EXPECT_EQ(item.runs.back().text, "goes on");
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(HlpcProgram, NamesTheSourceLineAndLeavesNoOutput) {
    const std::string dir = ::testing::TempDir();
    const std::string source = dir + "hlpc_bad.txt", output = dir + "hlpc_bad.hlp";
    const std::string err = dir + "hlpc_bad.err";
    std::remove(output.c_str());
    std::ofstream(source) << kHead << ".topic IDH_TWO 1\n.title Two\nText.\n";
    int status =
        std::system((std::string(HLPC_EXE) + " " + source + " " + output + " 2>" + err).c_str());
    EXPECT_NE(status, 0);
    EXPECT_THAT(Slurp(err), HasSubstr(source + ":8: error: context number 1 is used twice"));
    EXPECT_FALSE(std::ifstream(output).good());

    // Once made a corrupt file and ended with status 0.
    std::ofstream(source) << ".help " << std::string(70000, 'x') << "\n" << kTopics;
    status =
        std::system((std::string(HLPC_EXE) + " " + source + " " + output + " 2>" + err).c_str());
    EXPECT_NE(status, 0);
    EXPECT_THAT(Slurp(err), HasSubstr(source + ":1: error: .help text is too long"));
    EXPECT_FALSE(std::ifstream(output).good());

    std::ofstream(source) << kHead;
    ASSERT_EQ(std::system((std::string(HLPC_EXE) + " " + source + " " + output).c_str()), 0);
    std::string hlp = Slurp(output);
    ASSERT_GE(hlp.size(), 16u);
    EXPECT_EQ(hlp.substr(0, 4), std::string("\x3F\x5F\x03\x00", 4));
}

TEST(HlpcProgram, AFailedWriteLeavesTheOldFileAndNoPartialOne) {
    const std::string dir = ::testing::TempDir();
    const std::string source = dir + "hlpc_full.txt", output = dir + "hlpc_full.hlp";
    std::ofstream(source) << kHead;
    std::ofstream(output) << "old";
    // A file size limit far below the help file's makes the write fail as a
    // full disk would (with the signal ignored, write() reports EFBIG).
    int status = std::system(("trap '' XFSZ; ulimit -f 2; exec " + std::string(HLPC_EXE) + " " +
                              source + " " + output + " 2>/dev/null")
                                 .c_str());
    EXPECT_NE(status, 0);
    EXPECT_EQ(Slurp(output), "old");
    EXPECT_FALSE(std::ifstream(output + ".part").good());
}

}  // namespace
}  // namespace hlpc
