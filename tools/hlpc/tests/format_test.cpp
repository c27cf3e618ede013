// The help file's building blocks against known values of the format.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tools/hlpc/Bytes.h"
#include "tools/hlpc/Cp1252.h"
#include "tools/hlpc/HlpFile.h"

namespace hlpc {
namespace {

using ::testing::ElementsAre;

template <typename F, typename V>
Bytes Encoded(F put, V v) {
    Bytes b;
    put(b, v);
    return b;
}

std::uint32_t U32At(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TEST(ContextHash, MatchesTheViewersValues) {
    EXPECT_EQ(ContextHash("IDH_CONTENTS"), 0x68310BEEu);
    EXPECT_EQ(ContextHash("IDH_1"), 0x05311E4Du);
    EXPECT_EQ(ContextHash("IDH_17"), 0xDF4016F6u);
    EXPECT_EQ(ContextHash("contents"), 0x25F4558Au);
    // Letters hash alike in either case, so these name one topic.
    EXPECT_EQ(ContextHash("idh_contents"), ContextHash("IDH_CONTENTS"));
}

TEST(ContextHash, NamesHoldOnlyTheCharactersItKnows) {
    EXPECT_TRUE(IsContextName("IDH_2.a0"));
    EXPECT_FALSE(IsContextName(""));
    EXPECT_FALSE(IsContextName("IDH-2"));
    EXPECT_FALSE(IsContextName("IDH 2"));
}

TEST(CompressedIntegers, ShortAndLongFormsMeetAtTheirLimits) {
    EXPECT_THAT(Encoded(PutCUShort, 0u), ElementsAre(0x00));
    EXPECT_THAT(Encoded(PutCUShort, 5u), ElementsAre(0x0A));
    EXPECT_THAT(Encoded(PutCUShort, 127u), ElementsAre(0xFE));
    EXPECT_THAT(Encoded(PutCUShort, 128u), ElementsAre(0x01, 0x01));
    EXPECT_THAT(Encoded(PutCUShort, 32767u), ElementsAre(0xFF, 0xFF));
    EXPECT_THROW(Encoded(PutCUShort, 32768u), std::out_of_range);

    EXPECT_THAT(Encoded(PutCSShort, -64), ElementsAre(0x00));
    EXPECT_THAT(Encoded(PutCSShort, 0), ElementsAre(0x80));
    EXPECT_THAT(Encoded(PutCSShort, 63), ElementsAre(0xFE));
    EXPECT_THAT(Encoded(PutCSShort, 64), ElementsAre(0x81, 0x80));
    EXPECT_THAT(Encoded(PutCSShort, -65), ElementsAre(0x7F, 0x7F));
    EXPECT_THAT(Encoded(PutCSShort, -16384), ElementsAre(0x01, 0x00));
    EXPECT_THROW(Encoded(PutCSShort, 16384), std::out_of_range);

    EXPECT_THAT(Encoded(PutCSLong, 11), ElementsAre(0x16, 0x80));
    EXPECT_THAT(Encoded(PutCSLong, -16384), ElementsAre(0x00, 0x00));
    EXPECT_THAT(Encoded(PutCSLong, 16383), ElementsAre(0xFE, 0xFF));
    EXPECT_THAT(Encoded(PutCSLong, 16384), ElementsAre(0x01, 0x80, 0x00, 0x08));
    EXPECT_THAT(Encoded(PutCSLong, -16385), ElementsAre(0xFF, 0x7F, 0xFF, 0x07));
    EXPECT_THROW(Encoded(PutCSLong, 0x7C000000LL), std::out_of_range);
}

TEST(Cp1252, TypographicCharactersMapIntoTheHighControlsRange) {
    EXPECT_EQ(ToCp1252(U'A'), 'A');
    EXPECT_EQ(ToCp1252(U'\u00E9'), '\xE9');
    EXPECT_EQ(ToCp1252(U'\u20AC'), '\x80');
    EXPECT_EQ(ToCp1252(U'\u2022'), '\x95');
    EXPECT_EQ(ToCp1252(U'\u2019'), '\x92');
    // Controls would be read as text commands; the page's holes have no byte.
    EXPECT_EQ(ToCp1252(U'\x05'), std::nullopt);
    EXPECT_EQ(ToCp1252(U'\u0081'), std::nullopt);
    EXPECT_EQ(ToCp1252(U'\u2192'), std::nullopt);

    EXPECT_EQ(Utf8ToCp1252("caf\xC3\xA9 \xE2\x80\x93 ok").text, "caf\xE9 \x96 ok");
    EXPECT_TRUE(Utf8ToCp1252("\xC3").badEncoding);          // cut short
    EXPECT_TRUE(Utf8ToCp1252("\xC0\xAF").badEncoding);      // overlong '/'
    EXPECT_TRUE(Utf8ToCp1252("\xED\xA0\x80").badEncoding);  // a surrogate
    EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x98\x80").bad, U'\U0001F600');
}

Paragraph Text(const std::string& text) {
    Paragraph p;
    p.runs.push_back(TextRun{text, Font::Body, {}, 1});
    return p;
}

TEST(TextRecord, PlainParagraphMatchesTheKnownEncoding) {
    TextRecordData d = EncodeParagraph(Text("Hi"));
    EXPECT_THAT(d.linkData1, ElementsAre(0x16, 0x80, 0x0A, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x80,
                                         0x00, 0x00, 0x82, 0xFF));
    EXPECT_THAT(d.linkData2, ElementsAre(0x00, 'H', 'i', 0x00, 0x00));
}

TEST(TextRecord, JumpsFontsAndFormatBecomeCommandsWithTheirTexts) {
    Paragraph p;
    p.format.spaceBelow = 10;
    p.format.leftIndent = 24;
    p.runs = {TextRun{"See ", Font::Body, {}, 1}, TextRun{"this", Font::Body, "IDH_1", 1},
              TextRun{" now", Font::Bold, {}, 1}};
    TextRecordData d = EncodeParagraph(p);
    EXPECT_THAT(d.linkData1, ElementsAre(0x2C, 0x80,              // 22 bytes after the lengths
                                         0x24,                    // 18 bytes of text
                                         0x00, 0x80, 0x00, 0x00,  // fixed bytes, paragraph id
                                         0x14, 0x00,        // space below and left indent follow
                                         0x94, 0xB0,        // 10, 24
                                         0x80, 0x00, 0x00,  // font 0
                                         0xE3, 0x4D, 0x1E, 0x31, 0x05,  // jump to IDH_1
                                         0x89,                          // end of the hotspot
                                         0x80, 0x01, 0x00,              // font 1
                                         0x82, 0xFF));
    EXPECT_THAT(d.linkData2, ElementsAre(0, 'S', 'e', 'e', ' ', 0, 't', 'h', 'i', 's', 0, 0, ' ',
                                         'n', 'o', 'w', 0, 0));
}

// A topic whose only paragraph holds `chars` characters, so that its text
// record is exactly 39 + chars bytes long (the header 49 + title).
Topic Sized(const std::string& name, int paragraphs, std::size_t chars) {
    Topic t;
    t.contextName = name;
    t.title = name.substr(name.size() - 1);
    for (int i = 0; i < paragraphs; ++i) t.paragraphs.push_back(Text(std::string(chars, 'x')));
    return t;
}

TEST(TopicLayout, SingleTopicStartsAfterTheFirstBlockHeader) {
    Topic t;
    t.contextName = "IDH_A";
    t.title = "Hello";
    t.paragraphs.push_back(Text("Hi"));
    TopicFile f = BuildTopicFile({t});
    ASSERT_EQ(f.data.size(), 4096u);
    EXPECT_EQ(U32At(f.data, 0), 0xFFFFFFFFu);
    EXPECT_EQ(U32At(f.data, 4), 12u);
    EXPECT_EQ(U32At(f.data, 8), 0u);
    EXPECT_THAT(f.headerPos, ElementsAre(12u));
    EXPECT_THAT(f.topicOffset, ElementsAre(0u));
    // The header: 21 + 28 + 5 bytes, then the "Hi" record of 40, then the end.
    const std::size_t text = 12 + 54, end = text + 40;
    EXPECT_EQ(U32At(f.data, 12 + 21), 94u);        // BlockSize of the topic
    EXPECT_EQ(U32At(f.data, 12 + 21 + 20), text);  // Scroll
    EXPECT_EQ(U32At(f.data, 12 + 21 + 24), end);   // NextTopic
    EXPECT_EQ(U32At(f.data, text), 40u);           // the text record's BlockSize
    EXPECT_EQ(U32At(f.data, text + 4), 5u);        // DataLen2
    EXPECT_EQ(U32At(f.data, text + 8), 12u);       // PrevBlock
    EXPECT_EQ(U32At(f.data, text + 12), end);      // NextBlock
    EXPECT_EQ(U32At(f.data, text + 16), 35u);      // DataLen1
    EXPECT_EQ(f.data[end + 20], 0x02);             // the empty closing header
    EXPECT_EQ(U32At(f.data, end + 4), 0u);
    EXPECT_EQ(U32At(f.data, end + 12), 0xFFFFFFFFu);
    EXPECT_EQ(U32At(f.data, end + 21), 0u);
    EXPECT_EQ(U32At(f.data, end + 21 + 12), 1u);  // topic number 1
    EXPECT_EQ(U32At(f.data, end + 21 + 20), 0xFFFFFFFFu);
}

TEST(TopicLayout, RecordsAndTopicHeadersMoveWholeToTheNextBlock) {
    // Records of 1000 bytes (961 characters + 39) and headers of 50.
    // Block 0: A's header and four records (4050 of 4084 bytes); the fifth moves on.
    // Block 1: A's fifth record, B's header and two records (3050 bytes): C's
    // header would fit, but not with its first record, so both move on.
    TopicFile f =
        BuildTopicFile({Sized("IDH_A", 5, 961), Sized("IDH_B", 2, 961), Sized("IDH_C", 1, 961)});
    ASSERT_EQ(f.data.size(), 3u * 4096);
    EXPECT_THAT(f.headerPos, ElementsAre(12u, 0x4000u + 12 + 1000, 0x8000u + 12));
    EXPECT_THAT(f.topicOffset, ElementsAre(0u, 0x8000u + 964, 0x10000u));

    // A's header counts all five records and points at B's header.
    EXPECT_EQ(U32At(f.data, 12 + 21), 5050u);
    EXPECT_EQ(U32At(f.data, 12 + 21 + 24), 0x4000u + 12 + 1000);
    // The fifth record chains back into block 0.
    EXPECT_EQ(U32At(f.data, 4096 + 12 + 8), 12u + 3050);
    EXPECT_EQ(U32At(f.data, 12 + 3050 + 12), 0x4000u + 12);

    // Block headers: the last record before, the first inside, the last header before.
    EXPECT_EQ(U32At(f.data, 4096), 12u + 3050);
    EXPECT_EQ(U32At(f.data, 4096 + 4), 0x4000u + 12);
    EXPECT_EQ(U32At(f.data, 4096 + 8), 12u);
    EXPECT_EQ(U32At(f.data, 8192), 0x4000u + 12 + 2050);
    EXPECT_EQ(U32At(f.data, 8192 + 4), 0x8000u + 12);
    EXPECT_EQ(U32At(f.data, 8192 + 8), 0x4000u + 12 + 1000);
    // The rest of block 0 after its last record is zero.
    for (std::size_t i = 12 + 4050; i < 4096; ++i) ASSERT_EQ(f.data[i], 0) << i;
}

TEST(TopicLayout, ARecordThatFillsABlockIsRefusedWithItsLine) {
    Topic t = Sized("IDH_A", 1, 4100);
    t.paragraphs[0].line = 7;
    try {
        BuildTopicFile({t});
        FAIL() << "no error";
    } catch (const CompileError& e) {
        EXPECT_EQ(e.line(), 7);
        EXPECT_THAT(e.what(), ::testing::HasSubstr("paragraph too long"));
    }
}

TEST(BTree, OneLeafPageWithItsUnusedCount) {
    Bytes e1 = {1, 2, 3}, e2 = {4};
    Bytes t = BuildBTree("L4", 0x0002, 0x0800, {e1, e2}, "test");
    ASSERT_EQ(t.size(), 38u + 0x800);
    EXPECT_THAT(Bytes(t.begin(), t.begin() + 8),
                ElementsAre(0x3B, 0x29, 0x02, 0x00, 0x00, 0x08, 'L', '4'));
    EXPECT_EQ(t[32], 1);  // NLevels
    EXPECT_EQ(U32At(t, 34), 2u);
    EXPECT_THAT(Bytes(t.begin() + 38, t.begin() + 50),
                ElementsAre(0xF4, 0x07, 2, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4));
    EXPECT_THROW(BuildBTree("L4", 0x0002, 0x0800, {Bytes(2041, 0)}, "test"), CompileError);
}

}  // namespace
}  // namespace hlpc
