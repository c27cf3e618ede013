// The |TOPIC internal file: topic headers and text records laid into blocks.
#include <algorithm>
#include <initializer_list>
#include <string>

#include "tools/hlpc/HlpFile.h"

namespace hlpc {

namespace {

constexpr std::uint8_t kRecordTopicHeader = 0x02;
constexpr std::uint8_t kRecordText = 0x20;
constexpr std::uint32_t kLinkHeaderSize = 21;
constexpr std::uint32_t kNone = 0xFFFFFFFF;
// Record positions count blocks in steps of 0x4000 and text offsets in steps
// of 0x8000, both in 32 bits: past this many blocks the offsets wrap.
constexpr std::uint32_t kMaxBlocks = 0x20000;

// Text commands.
constexpr std::uint8_t kCmdFont = 0x80;
constexpr std::uint8_t kCmdEndParagraph = 0x82;
constexpr std::uint8_t kCmdJump = 0xE3;
constexpr std::uint8_t kCmdHotspotEnd = 0x89;
constexpr std::uint8_t kCmdEnd = 0xFF;

// Each string of LinkData2 is the text shown before the command of the same
// index, so commands and strings are collected in step.
class CommandWriter {
  public:
    void Text(const std::string& text) { pending_ += text; }
    void Command(std::initializer_list<std::uint8_t> bytes) {
        PutText(strings_, pending_);
        PutU8(strings_, 0);
        pending_.clear();
        for (auto b : bytes) PutU8(commands_, b);
    }
    void CommandU16(std::uint8_t cmd, std::uint16_t v) {
        Command({cmd});
        PutU16(commands_, v);
    }
    void CommandU32(std::uint8_t cmd, std::uint32_t v) {
        Command({cmd});
        PutU32(commands_, v);
    }
    const Bytes& commands() const { return commands_; }
    const Bytes& strings() const { return strings_; }

  private:
    std::string pending_;
    Bytes commands_;
    Bytes strings_;
};

struct Record {
    std::uint8_t type = 0;
    Bytes linkData1;
    Bytes linkData2;
    std::uint32_t textLength = 0;  // what the record adds to the text offset
    int line = 0;
    std::uint32_t Size() const {
        return kLinkHeaderSize + static_cast<std::uint32_t>(linkData1.size() + linkData2.size());
    }
};

// A topic header's LinkData1: seven numbers, three of them known only after
// layout (patched later).
Record TopicHeader(std::uint32_t topicNumber, const std::string& title, int line) {
    Record r;
    r.type = kRecordTopicHeader;
    r.line = line;
    PutU32(r.linkData1, 0);      // BlockSize
    PutU32(r.linkData1, kNone);  // BrowseBck: no browse sequence
    PutU32(r.linkData1, kNone);  // BrowseFor
    PutU32(r.linkData1, topicNumber);
    PutU32(r.linkData1, kNone);  // NonScroll: no non-scrolling region
    PutU32(r.linkData1, kNone);  // Scroll
    PutU32(r.linkData1, kNone);  // NextTopic
    PutText(r.linkData2, title);
    return r;
}

constexpr std::size_t kHeaderBlockSize = 0;
constexpr std::size_t kHeaderScroll = 20;
constexpr std::size_t kHeaderNextTopic = 24;

struct Placed {
    Record record;
    std::uint32_t block = 0;
    std::uint32_t offsetInBlock = 0;  // within the block's data
    std::uint32_t Position() const { return 12 + block * 0x4000 + offsetInBlock; }
};

}  // namespace

TextRecordData EncodeParagraph(const Paragraph& paragraph) {
    CommandWriter w;
    auto font = paragraph.runs.empty() ? Font::Body : paragraph.runs.front().font;
    // The viewer carries the font over from the paragraph before: always say it.
    w.CommandU16(kCmdFont, static_cast<std::uint16_t>(font));
    for (const TextRun& run : paragraph.runs) {
        if (run.font != font) {
            font = run.font;
            w.CommandU16(kCmdFont, static_cast<std::uint16_t>(font));
        }
        if (run.jump.empty()) {
            w.Text(run.text);
        } else {
            w.CommandU32(kCmdJump, ContextHash(run.jump));
            w.Text(run.text);
            w.Command({kCmdHotspotEnd});
        }
    }
    w.Command({kCmdEndParagraph});
    w.Command({kCmdEnd});

    Bytes rest;
    PutU8(rest, 0x00);
    PutU8(rest, 0x80);
    PutU16(rest, 0);  // paragraph id
    const ParagraphFormat& f = paragraph.format;
    std::uint16_t bits = 0;
    if (f.spaceAbove) bits |= 0x02;
    if (f.spaceBelow) bits |= 0x04;
    if (f.leftIndent) bits |= 0x10;
    if (f.firstLineIndent) bits |= 0x40;
    PutU16(rest, bits);
    // Optional fields follow in the order of their bits.
    if (f.spaceAbove) PutCSShort(rest, f.spaceAbove);
    if (f.spaceBelow) PutCSShort(rest, f.spaceBelow);
    if (f.leftIndent) PutCSShort(rest, f.leftIndent);
    if (f.firstLineIndent) PutCSShort(rest, f.firstLineIndent);
    PutBytes(rest, w.commands());

    TextRecordData d;
    PutCSLong(d.linkData1, static_cast<std::int64_t>(rest.size()));
    PutCUShort(d.linkData1, static_cast<std::uint32_t>(w.strings().size()));
    PutBytes(d.linkData1, rest);
    d.linkData2 = w.strings();
    return d;
}

TopicFile BuildTopicFile(const std::vector<Topic>& topics) {
    std::vector<Record> records;
    for (std::size_t t = 0; t < topics.size(); ++t) {
        records.push_back(
            TopicHeader(static_cast<std::uint32_t>(t), topics[t].title, topics[t].line));
        for (const Paragraph& p : topics[t].paragraphs) {
            TextRecordData d = EncodeParagraph(p);
            Record r;
            r.type = kRecordText;
            r.line = p.line;
            r.textLength = static_cast<std::uint32_t>(d.linkData2.size());
            r.linkData1 = std::move(d.linkData1);
            r.linkData2 = std::move(d.linkData2);
            records.push_back(std::move(r));
        }
    }
    // The viewer finds the end of the last topic at an empty header.
    records.push_back(TopicHeader(static_cast<std::uint32_t>(topics.size()), "", 0));

    // Records never straddle blocks, and a topic header stays with its first
    // text record: the topic's offset is counted in the block of its header.
    TopicFile out;
    std::vector<Placed> placed;
    std::uint32_t block = 0, used = 0, textInBlock = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        Record& r = records[i];
        std::uint32_t need = r.Size();
        bool realHeader = r.type == kRecordTopicHeader && i + 1 < records.size();
        if (realHeader) need += records[i + 1].Size();
        const int line = realHeader ? records[i + 1].line : r.line;
        if (need >= kTopicBlockData) {
            throw CompileError(line, "paragraph too long for one block of the help file (" +
                                         std::to_string(need) + " bytes, at most " +
                                         std::to_string(kTopicBlockData - 1) + ")");
        }
        if (used + need > kTopicBlockData) {
            if (block + 1 == kMaxBlocks) {
                throw CompileError(line, "the help text is too long for one help file (" +
                                             std::to_string(kMaxBlocks) + " blocks of " +
                                             std::to_string(kTopicBlockSize) + " bytes)");
            }
            ++block;
            used = 0;
            textInBlock = 0;
        }
        Placed p;
        p.block = block;
        p.offsetInBlock = used;
        if (realHeader) {
            out.headerPos.push_back(p.Position());
            out.topicOffset.push_back(block * 0x8000 + textInBlock);
        }
        used += r.Size();
        textInBlock += r.textLength;
        p.record = std::move(r);
        placed.push_back(std::move(p));
    }

    // Now every position is known: chain the records and fill the headers.
    for (std::size_t i = 0; i < placed.size(); ++i) {
        Record& r = placed[i].record;
        if (r.type != kRecordTopicHeader || i + 1 == placed.size()) continue;
        std::uint32_t size = 0;
        std::size_t j = i;
        do {
            size += placed[j].record.Size();
            ++j;
        } while (placed[j].record.type != kRecordTopicHeader);
        PatchU32(r.linkData1, kHeaderBlockSize, size);
        PatchU32(r.linkData1, kHeaderScroll, placed[i + 1].Position());
        PatchU32(r.linkData1, kHeaderNextTopic, placed[j].Position());
    }

    std::uint32_t blocks = block + 1;
    out.data.assign(static_cast<std::size_t>(blocks) * kTopicBlockSize, 0);
    std::uint32_t lastHeaderBefore = 0;
    std::size_t i = 0;
    for (std::uint32_t b = 0; b < blocks; ++b) {
        Bytes head;
        PutU32(head, b == 0 ? kNone : placed[i - 1].Position());  // LastTopicLink
        PutU32(head, placed[i].Position());                       // FirstTopicLink
        PutU32(head, lastHeaderBefore);                           // LastTopicHeader
        std::copy(head.begin(), head.end(), out.data.begin() + b * kTopicBlockSize);
        for (; i < placed.size() && placed[i].block == b; ++i) {
            const Placed& p = placed[i];
            Bytes link;
            PutU32(link, p.record.Size());
            PutU32(link, static_cast<std::uint32_t>(p.record.linkData2.size()));
            PutU32(link, i == 0 ? kNone : placed[i - 1].Position());
            PutU32(link, i + 1 == placed.size() ? kNone : placed[i + 1].Position());
            PutU32(link, kLinkHeaderSize + static_cast<std::uint32_t>(p.record.linkData1.size()));
            PutU8(link, p.record.type);
            PutBytes(link, p.record.linkData1);
            PutBytes(link, p.record.linkData2);
            std::copy(link.begin(), link.end(),
                      out.data.begin() + b * kTopicBlockSize + 12 + p.offsetInBlock);
            if (p.record.type == kRecordTopicHeader) lastHeaderBefore = p.Position();
        }
    }
    return out;
}

}  // namespace hlpc
