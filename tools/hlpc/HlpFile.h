// Writes a Windows Help file (4.0 layout, uncompressed) from a HelpProject.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/hlpc/Bytes.h"
#include "tools/hlpc/HelpProject.h"

namespace hlpc {

// |TOPIC is read in blocks of this size: a 12-byte header, then data.
constexpr std::uint32_t kTopicBlockSize = 4096;
constexpr std::uint32_t kTopicBlockData = kTopicBlockSize - 12;

// Context names are looked up by this hash alone, so two names with the same
// hash cannot both be reached.
std::uint32_t ContextHash(std::string_view name);
// Names made of letters, digits, '.' and '_' (the characters the hash knows).
bool IsContextName(std::string_view name);

// One |TOPIC text record's two data parts.
struct TextRecordData {
    Bytes linkData1;  // lengths, paragraph format and the commands
    Bytes linkData2;  // the text shown before each command, NUL-terminated
};
TextRecordData EncodeParagraph(const Paragraph& paragraph);

// The |TOPIC body and where each topic landed in it.
struct TopicFile {
    Bytes data;                              // whole blocks
    std::vector<std::uint32_t> headerPos;    // each topic header's position
    std::vector<std::uint32_t> topicOffset;  // each topic's text offset
};
// Topics must already be checked (names known, paragraphs not empty).
TopicFile BuildTopicFile(const std::vector<Topic>& topics);

// A B+ tree of one leaf page with entries already in key order. Throws
// CompileError when they do not fit in the page.
Bytes BuildBTree(std::string_view structure, std::uint16_t flags, std::uint16_t pageSize,
                 const std::vector<Bytes>& entries, const std::string& what);

// Refuses what the viewer could not show or reach: bad or colliding context
// names, numbers mapped twice, jumps to missing topics, empty topics.
void CheckProject(const HelpProject& project);

// The whole file. Checks the project first.
Bytes WriteHelpFile(const HelpProject& project);

}  // namespace hlpc
