// The help file's other internal files and the file as a whole.
#include "tools/hlpc/HlpFile.h"

#include <algorithm>
#include <map>
#include <utility>

namespace hlpc {

namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFF;

// A |SYSTEM record gives its length in 16 bits, and its text ends in a NUL.
constexpr std::size_t kMaxSystemText = 0xFFFF - 1;

// The context and title indexes are trees of a single leaf page.
constexpr std::uint16_t kIndexPageSize = 0x0800;
constexpr std::size_t kContextEntrySize = 8;
std::size_t TitleEntrySize(const std::string& title) {
    return 4 + title.size() + 1;
}

void CheckSystemText(const std::string& text, int line, const char* directive) {
    if (text.size() > kMaxSystemText) {
        throw CompileError(line, std::string(directive) + " text is too long for the help file (" +
                                     std::to_string(text.size()) + " characters, at most " +
                                     std::to_string(kMaxSystemText) + ")");
    }
}

int HashValue(char c) {
    if (c >= '1' && c <= '9') return c - '0';
    if (c == '0') return 10;
    if (c == '.') return 12;
    if (c == '_') return 13;
    if (c >= 'A' && c <= 'Z') return 17 + (c - 'A');
    if (c >= 'a' && c <= 'z') return 17 + (c - 'a');
    return -1;
}

// An internal file: its 9-byte header, then its data. The viewer takes the
// end from the reserved size, so nothing is reserved beyond the data.
void PutInternalFile(Bytes& out, const Bytes& body, std::uint8_t flags) {
    PutU32(out, static_cast<std::uint32_t>(body.size() + 9));
    PutU32(out, static_cast<std::uint32_t>(body.size()));
    PutU8(out, flags);
    PutBytes(out, body);
}

Bytes SystemFile(const HelpProject& project, std::uint32_t contentsOffset) {
    Bytes out;
    PutU16(out, 0x036C);
    PutU16(out, 33);  // minor: the 4.0 layout
    PutU16(out, 1);   // major
    PutU32(out, project.generated);
    PutU16(out, 0);  // flags: no compression, 4 KB topic blocks
    auto record = [&out](std::uint16_t type, const Bytes& data) {
        PutU16(out, type);
        // CheckProject keeps every record within its 16-bit length.
        PutU16(out, static_cast<std::uint16_t>(data.size()));
        PutBytes(out, data);
    };
    Bytes title;
    PutText(title, project.title);
    PutU8(title, 0);
    record(1, title);
    Bytes contents;
    PutU32(contents, contentsOffset);
    record(3, contents);
    if (!project.copyright.empty()) {
        Bytes copyright;
        PutText(copyright, project.copyright);
        PutU8(copyright, 0);
        record(2, copyright);
    }
    record(9, Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0x09, 0x04});  // English (United States)
    record(11, Bytes{0, 0, 0, 2, 0});                      // ANSI character set
    return out;
}

// Face names and descriptors, numbered as the Font enumeration.
Bytes FontFile() {
    constexpr std::uint16_t kFaceSlot = 32;
    struct Descriptor {
        std::uint8_t attributes;  // 1 bold
        std::uint8_t halfPoints;
        std::uint8_t r, g, b;
    };
    const Descriptor descriptors[] = {
        {0, 20, 0, 0, 0},    // Body: 10 pt
        {1, 20, 0, 0, 0},    // Bold: 10 pt bold
        {1, 28, 0, 0, 128},  // Heading: 14 pt bold, navy
    };
    const std::uint16_t count = sizeof descriptors / sizeof descriptors[0];
    Bytes out;
    PutU16(out, 1);
    PutU16(out, count);
    PutU16(out, 8);
    PutU16(out, 8 + kFaceSlot);
    Bytes face;
    PutText(face, "Arial");
    face.resize(kFaceSlot, 0);
    PutBytes(out, face);
    for (const Descriptor& d : descriptors) {
        PutU8(out, d.attributes);
        PutU8(out, d.halfPoints);
        PutU8(out, 3);   // swiss family
        PutU16(out, 0);  // face 0
        PutU8(out, d.r), PutU8(out, d.g), PutU8(out, d.b);
        PutU8(out, 0), PutU8(out, 0), PutU8(out, 0);  // background: not used
    }
    return out;
}

}  // namespace

std::uint32_t ContextHash(std::string_view name) {
    std::uint32_t h = 0;
    for (char c : name) h = h * 43 + static_cast<std::uint32_t>(HashValue(c));
    return h;
}

bool IsContextName(std::string_view name) {
    return !name.empty() &&
           std::all_of(name.begin(), name.end(), [](char c) { return HashValue(c) >= 0; });
}

Bytes BuildBTree(std::string_view structure, std::uint16_t flags, std::uint16_t pageSize,
                 const std::vector<Bytes>& entries, const std::string& what) {
    std::size_t used = 0;
    for (const Bytes& e : entries) used += e.size();
    if (used + 8 > pageSize) {
        throw CompileError(0, what + " does not fit in one index page (" + std::to_string(used) +
                                  " bytes, at most " + std::to_string(pageSize - 8) + ")");
    }
    Bytes out;
    PutU16(out, 0x293B);
    PutU16(out, flags);
    PutU16(out, pageSize);
    Bytes name;
    PutText(name, structure);
    name.resize(16, 0);
    PutBytes(out, name);
    PutU16(out, 0);
    PutU16(out, 0);       // page splits
    PutU16(out, 0);       // root page
    PutU16(out, 0xFFFF);  // always -1
    PutU16(out, 1);       // total pages
    PutU16(out, 1);       // levels: the root is the leaf
    PutU32(out, static_cast<std::uint32_t>(entries.size()));

    std::size_t page = out.size();
    PutU16(out, static_cast<std::uint16_t>(pageSize - 8 - used));
    PutU16(out, static_cast<std::uint16_t>(entries.size()));
    PutU16(out, 0xFFFF);  // no previous page
    PutU16(out, 0xFFFF);  // no next page
    for (const Bytes& e : entries) PutBytes(out, e);
    out.resize(page + pageSize, 0);
    return out;
}

void CheckProject(const HelpProject& project) {
    if (project.topics.empty()) throw CompileError(0, "the source has no topics");
    CheckSystemText(project.title, project.titleLine, ".help");
    CheckSystemText(project.copyright, project.copyrightLine, ".copyright");
    // Each topic has an entry in both one-page indexes; the first that does
    // not fit is the one to name.
    std::size_t contextBytes = 0, titleBytes = 0;
    std::map<std::string, const Topic*> byName;
    std::map<std::uint32_t, const Topic*> byHash;
    std::map<std::uint32_t, const Topic*> byNumber;
    for (const Topic& t : project.topics) {
        if (!IsContextName(t.contextName)) {
            throw CompileError(t.line, "context name \"" + t.contextName +
                                           "\" may hold only letters, digits, '.' and '_'");
        }
        if (auto seen = byName.find(t.contextName); seen != byName.end()) {
            throw CompileError(t.line, "context name " + t.contextName +
                                           " is used twice (first at line " +
                                           std::to_string(seen->second->line) + ")");
        }
        auto hash = ContextHash(t.contextName);
        if (auto seen = byHash.find(hash); seen != byHash.end()) {
            throw CompileError(t.line, "context name " + t.contextName + " has the same hash as " +
                                           seen->second->contextName + " (line " +
                                           std::to_string(seen->second->line) +
                                           "): rename one of them");
        }
        if (t.mapNumber) {
            if (auto seen = byNumber.find(*t.mapNumber); seen != byNumber.end()) {
                throw CompileError(t.line, "context number " + std::to_string(*t.mapNumber) +
                                               " is used twice (first by " +
                                               seen->second->contextName + " at line " +
                                               std::to_string(seen->second->line) + ")");
            }
            byNumber[*t.mapNumber] = &t;
        }
        if (t.title.empty()) throw CompileError(t.line, "topic " + t.contextName + " has no title");
        bool hasText =
            std::any_of(t.paragraphs.begin(), t.paragraphs.end(), [](const Paragraph& p) {
                return std::any_of(p.runs.begin(), p.runs.end(),
                                   [](const TextRun& r) { return !r.text.empty(); });
            });
        // A topic without text would share its offset with the next one and
        // could never be shown.
        if (!hasText) throw CompileError(t.line, "topic " + t.contextName + " has no text");
        contextBytes += kContextEntrySize;
        titleBytes += TitleEntrySize(t.title);
        const bool contextFull = contextBytes + 8 > kIndexPageSize;
        if (contextFull || titleBytes + 8 > kIndexPageSize) {
            throw CompileError(contextFull ? t.line : t.titleLine,
                               "topic " + t.contextName + " does not fit in the help file's " +
                                   (contextFull ? "context name" : "title") + " index (" +
                                   std::to_string(kIndexPageSize - 8) +
                                   " bytes, one entry a topic): fewer topics or shorter titles");
        }
        byName[t.contextName] = &t;
        byHash[hash] = &t;
    }
    for (const Topic& t : project.topics) {
        for (const Paragraph& p : t.paragraphs) {
            for (const TextRun& r : p.runs) {
                if (!r.jump.empty() && byName.count(r.jump) == 0) {
                    throw CompileError(r.line, "jump to a missing topic: " + r.jump);
                }
            }
        }
    }
}

Bytes WriteHelpFile(const HelpProject& project) {
    CheckProject(project);
    TopicFile topics = BuildTopicFile(project.topics);
    const auto& offsets = topics.topicOffset;

    std::vector<std::pair<std::int32_t, std::uint32_t>> contexts;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> map;
    for (std::size_t i = 0; i < project.topics.size(); ++i) {
        const Topic& t = project.topics[i];
        contexts.emplace_back(static_cast<std::int32_t>(ContextHash(t.contextName)), offsets[i]);
        if (t.mapNumber) map.emplace_back(*t.mapNumber, offsets[i]);
    }
    // The viewer stops at the first key greater than the one it seeks.
    std::sort(contexts.begin(), contexts.end());
    std::sort(map.begin(), map.end());

    std::vector<Bytes> contextEntries;
    for (const auto& [hash, offset] : contexts) {
        Bytes e;
        PutU32(e, static_cast<std::uint32_t>(hash));
        PutU32(e, offset);
        contextEntries.push_back(std::move(e));
    }
    Bytes context =
        BuildBTree("L4", 0x0002, kIndexPageSize, contextEntries, "the context name index");

    Bytes ctxomap;
    PutU16(ctxomap, static_cast<std::uint16_t>(map.size()));
    for (const auto& [number, offset] : map) {
        PutU32(ctxomap, number);
        PutU32(ctxomap, offset);
    }

    std::vector<Bytes> titleEntries;
    for (std::size_t i = 0; i < project.topics.size(); ++i) {
        Bytes e;
        PutU32(e, offsets[i]);
        PutText(e, project.topics[i].title);
        PutU8(e, 0);
        titleEntries.push_back(std::move(e));
    }
    Bytes titles = BuildBTree("Lz", 0x0002, kIndexPageSize, titleEntries, "the topic title index");

    // Internal files in the directory's (byte-wise) order.
    const std::pair<const char*, Bytes> files[] = {
        {"|CONTEXT", context},   {"|CTXOMAP", ctxomap},
        {"|FONT", FontFile()},   {"|SYSTEM", SystemFile(project, offsets.front())},
        {"|TOPIC", topics.data}, {"|TTLBTREE", titles},
    };
    Bytes out;
    PutU32(out, 0x00035F3F);
    PutU32(out, 0);      // directory start, patched below
    PutU32(out, kNone);  // no free blocks
    PutU32(out, 0);      // file size, patched below
    std::vector<Bytes> dirEntries;
    for (const auto& [name, body] : files) {
        Bytes e;
        PutText(e, name);
        PutU8(e, 0);
        PutU32(e, static_cast<std::uint32_t>(out.size()));
        dirEntries.push_back(std::move(e));
        PutInternalFile(out, body, 0);
    }
    auto directoryStart = static_cast<std::uint32_t>(out.size());
    PutInternalFile(out, BuildBTree("z4", 0x0402, 0x0400, dirEntries, "the directory"), 4);
    PatchU32(out, 4, directoryStart);
    PatchU32(out, 12, static_cast<std::uint32_t>(out.size()));
    return out;
}

}  // namespace hlpc
