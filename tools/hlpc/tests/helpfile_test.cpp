// The assembled file read back through its directory, and the project's own
// help source.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "tools/hlpc/HlpFile.h"
#include "tools/hlpc/SourceReader.h"

namespace hlpc {
namespace {

using ::testing::ElementsAre;

std::uint32_t U16(const Bytes& b, std::size_t at) {
    return b.at(at) | b.at(at + 1) << 8;
}
std::uint32_t U32(const Bytes& b, std::size_t at) {
    return U16(b, at) | U16(b, at + 2) << 16;
}
std::string Z(const Bytes& b, std::size_t at) {
    std::string s;
    while (b.at(at)) s += static_cast<char>(b[at++]);
    return s;
}

// Finds the internal files the way a viewer does: header, directory, headers.
struct Reader {
    explicit Reader(Bytes data) : file(std::move(data)) {
        EXPECT_EQ(U32(file, 0), 0x00035F3Fu);
        EXPECT_EQ(U32(file, 12), file.size());
        Bytes dir = Body(U32(file, 4), 4);
        std::size_t page = 38;
        EXPECT_EQ(U16(dir, 0), 0x293Bu);
        std::size_t at = page + 8;
        for (std::uint32_t i = 0; i < U16(dir, page + 2); ++i) {
            std::string name = Z(dir, at);
            names.push_back(name);
            files[name] = Body(U32(dir, at + name.size() + 1), 0);
            at += name.size() + 5;
        }
    }
    Bytes Body(std::uint32_t at, std::uint8_t flags) {
        std::uint32_t reserved = U32(file, at), used = U32(file, at + 4);
        EXPECT_EQ(reserved, used + 9);
        EXPECT_EQ(file.at(at + 8), flags);
        return Bytes(file.begin() + at + 9, file.begin() + at + 9 + used);
    }
    // A one-page tree's leaf entries, each `fixed` bytes plus an optional string.
    std::vector<std::pair<std::uint32_t, std::string>> Leaf(const std::string& name, bool text) {
        const Bytes& t = files.at(name);
        std::vector<std::pair<std::uint32_t, std::string>> out;
        std::size_t at = 38 + 8;
        for (std::uint32_t i = 0; i < U16(t, 38 + 2); ++i) {
            if (text) {
                out.emplace_back(U32(t, at), Z(t, at + 4));
                at += 4 + out.back().second.size() + 1;
            } else {
                out.emplace_back(U32(t, at), std::to_string(U32(t, at + 4)));
                at += 8;
            }
        }
        return out;
    }
    Bytes file;
    std::vector<std::string> names;
    std::map<std::string, Bytes> files;
};

Topic Simple(const std::string& name, std::optional<std::uint32_t> number,
             const std::string& title) {
    Topic t;
    t.contextName = name;
    t.mapNumber = number;
    t.title = title;
    Paragraph p;
    p.runs.push_back(TextRun{title + " text", Font::Body, {}, 1});
    t.paragraphs.push_back(p);
    return t;
}

TEST(HelpFile, InternalFilesAndIndexesAreSortedTheWayTheViewerSearches) {
    HelpProject project;
    project.title = "Test Help";
    project.generated = 1234;
    project.topics = {Simple("IDH_CONTENTS", std::nullopt, "Contents"),
                      Simple("IDH_17", 17, "Banner"), Simple("IDH_1", 1, "Window")};
    Reader r(WriteHelpFile(project));
    EXPECT_THAT(r.names,
                ElementsAre("|CONTEXT", "|CTXOMAP", "|FONT", "|SYSTEM", "|TOPIC", "|TTLBTREE"));
    auto offsets = BuildTopicFile(project.topics).topicOffset;

    const Bytes& sys = r.files["|SYSTEM"];
    EXPECT_THAT(Bytes(sys.begin(), sys.begin() + 12),
                ElementsAre(0x6C, 0x03, 33, 0, 1, 0, 0xD2, 0x04, 0, 0, 0, 0));
    EXPECT_EQ(U16(sys, 12), 1u);
    EXPECT_EQ(Z(sys, 16), "Test Help");
    std::size_t contents = 16 + U16(sys, 14);
    EXPECT_EQ(U16(sys, contents), 3u);
    EXPECT_EQ(U16(sys, contents + 2), 4u);
    EXPECT_EQ(U32(sys, contents + 4), offsets[0]);

    // HELP_CONTEXT scans this map by number.
    const Bytes& map = r.files["|CTXOMAP"];
    ASSERT_EQ(U16(map, 0), 2u);
    EXPECT_EQ(U32(map, 2), 1u);
    EXPECT_EQ(U32(map, 6), offsets[2]);
    EXPECT_EQ(U32(map, 10), 17u);
    EXPECT_EQ(U32(map, 14), offsets[1]);

    // Hashes in signed order: IDH_17 is negative as a 32-bit value.
    auto context = r.Leaf("|CONTEXT", false);
    EXPECT_THAT(context, ElementsAre(std::make_pair(0xDF4016F6u, std::to_string(offsets[1])),
                                     std::make_pair(0x05311E4Du, std::to_string(offsets[2])),
                                     std::make_pair(0x68310BEEu, std::to_string(offsets[0]))));
    auto titles = r.Leaf("|TTLBTREE", true);
    EXPECT_THAT(titles, ElementsAre(std::make_pair(offsets[0], "Contents"),
                                    std::make_pair(offsets[1], "Banner"),
                                    std::make_pair(offsets[2], "Window")));
    EXPECT_EQ(r.files["|TOPIC"].size(), 4096u);
    const Bytes& font = r.files["|FONT"];
    EXPECT_EQ(U16(font, 0), 1u);
    EXPECT_EQ(U16(font, 2), 3u);
    EXPECT_EQ(font.size(), 8u + 32 + 3 * 11);
}

TEST(HelpFile, TheProjectsHelpHasEveryTopicTheWindowAsksFor) {
    std::ifstream in(DOVRANE_HELP_SOURCE, std::ios::binary);
    ASSERT_TRUE(in) << DOVRANE_HELP_SOURCE;
    std::stringstream text;
    text << in.rdbuf();
    HelpProject project = ReadSource(text.str());
    ASSERT_NO_THROW(WriteHelpFile(project));

    std::set<std::uint32_t> numbers;
    for (const Topic& t : project.topics) {
        if (t.mapNumber) numbers.insert(*t.mapNumber);
    }
    // 18 to 20: the Edit menu's items (F1 on them); 21: backups; 22 and 23:
    // the File menu's Import and Export.
    EXPECT_THAT(numbers, ElementsAre(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 18, 19,
                                     20, 21, 22, 23));

    // The contents page reaches every other topic in one jump.
    std::set<std::string> reached;
    for (const Paragraph& p : project.topics.front().paragraphs) {
        for (const TextRun& r : p.runs) reached.insert(r.jump);
    }
    for (std::size_t i = 1; i < project.topics.size(); ++i) {
        EXPECT_EQ(reached.count(project.topics[i].contextName), 1u)
            << project.topics[i].contextName;
    }

    // Each setting's topic names the registry value it writes.
    const std::map<std::uint32_t, std::string> values = {
        {2, "InitialKeyboardIndicators"},
        {3, "EncryptionContextMenu"},
        {4, "NoRun"},
        {5, "ClearPageFileAtShutdown"},
        {12, "Administrator"},
        {13, "KeepRasConnections"},
        {14, "NoLowDiskSpaceChecks"},
        {15, "UserList"},
    };
    for (const Topic& t : project.topics) {
        if (!t.mapNumber || values.count(*t.mapNumber) == 0) continue;
        std::string all;
        for (const Paragraph& p : t.paragraphs) {
            for (const TextRun& r : p.runs) all += r.text;
        }
        EXPECT_NE(all.find(values.at(*t.mapNumber)), std::string::npos) << t.contextName;
    }
}

}  // namespace
}  // namespace hlpc
