// The Run history by exact names: which values are entries, and that a
// deletion takes exactly the value an entry came from.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "registry/MemoryRegistry.h"
#include "settings/RunHistory.h"

namespace {

const std::u16string kRunMru = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

std::vector<std::uint8_t> Utf16(const std::u16string& text) {
    std::vector<std::uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(std::uint8_t(c & 0xFF));
        bytes.push_back(std::uint8_t(c >> 8));
    }
    return bytes;
}

std::optional<std::u16string> Decoded(const std::u16string& name, std::vector<std::uint8_t> data) {
    const auto entry =
        settings::runhistory::DecodeEntry(name, data.data(), std::uint32_t(data.size()));
    if (entry) {
        EXPECT_EQ(entry->valueName, name);
    }
    return entry ? std::optional<std::u16string>(entry->text) : std::nullopt;
}

TEST(RunHistory, WhichValuesAreEntriesAndWhatTheyShow) {
    using T = std::optional<std::u16string>;
    const std::u16string nul(u"a\0z", 3);
    EXPECT_EQ(Decoded(u"a", Utf16(std::u16string(u"cmd\\1\0", 6))), T(u"cmd"));
    EXPECT_EQ(Decoded(u"b", Utf16(std::u16string(u"\u03b1\u03b2\\1\0", 5))), T(u"\u03b1\u03b2"));
    EXPECT_EQ(Decoded(u"c", Utf16(std::u16string(u"ab\0cd\\1\0", 8))),
              T(u"ab"));  // shown to its NUL
    EXPECT_EQ(Decoded(u"d", Utf16(std::u16string(u"\\1\0", 3))), T(u""));
    EXPECT_EQ(Decoded(u"e", {'x', 0, 'y', 0, 'z', 0, 'w', 0, 0x41}),
              T(u"x"));  // an odd byte is no character
    EXPECT_EQ(Decoded(u"f", {1, 0, 0, 0, 0, 0, 0, 0}), T(u"\u0001"));  // any type is read as text
    EXPECT_EQ(Decoded(u"g", {'x', 0, 0, 0, 0}), std::nullopt);         // shorter than the ending
    EXPECT_EQ(Decoded(u"", Utf16(std::u16string(u"cmd\\1\0", 6))), std::nullopt);
    EXPECT_EQ(Decoded(u"MRUList", Utf16(std::u16string(u"ab\\1\0", 5))), std::nullopt);
    EXPECT_EQ(Decoded(u"mrulist", Utf16(std::u16string(u"ab\\1\0", 5))), std::nullopt);
    EXPECT_EQ(Decoded(nul, Utf16(std::u16string(u"cmd\\1\0", 6))), std::nullopt);
}

TEST(RunHistory, EntriesKeepTheirExactNamesAndADeletionTakesOnlyThatValue) {
    reg::MemoryRegistry memory;
    const std::u16string greek = u"\u03b1", cyrillic = u"\u0436", nul(u"a\0z", 3);
    const std::vector<std::uint8_t> command =
        Utf16(std::u16string(u"\u043f\u0443\u0441\u043a\\1\0", 7));
    memory.PutW(reg::kCurrentUser, kRunMru, greek, reg::kRegSz, command);
    memory.PutW(reg::kCurrentUser, kRunMru, cyrillic, reg::kRegSz,
                Utf16(std::u16string(u"x\\1\0", 4)));
    memory.PutW(reg::kCurrentUser, kRunMru, nul, reg::kRegSz, Utf16(std::u16string(u"y\\1\0", 4)));
    memory.PutW(reg::kCurrentUser, kRunMru, u"a", reg::kRegSz, Utf16(std::u16string(u"z\\1\0", 4)));
    memory.PutW(reg::kCurrentUser, kRunMru, u"MRUList", reg::kRegSz,
                Utf16(std::u16string(u"\u03b1\u0436a\0", 4)));

    const std::vector<settings::runhistory::Entry> entries = settings::runhistory::Load(memory);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].valueName, greek);
    EXPECT_EQ(entries[0].text, u"\u043f\u0443\u0441\u043a");
    EXPECT_EQ(entries[1].valueName, cyrillic);
    EXPECT_EQ(entries[2].valueName, u"a");

    EXPECT_EQ(settings::runhistory::Delete(memory, greek), reg::kSuccess);
    EXPECT_EQ(settings::runhistory::Delete(memory, u"a"), reg::kSuccess);
    // The value with a NUL in its name cannot be named: refused, never "a".
    EXPECT_EQ(settings::runhistory::Delete(memory, nul), reg::kInvalidParameter);
    EXPECT_EQ(memory.ValueNamesW(reg::kCurrentUser, kRunMru),
              (std::vector<std::u16string>{cyrillic, nul, u"MRUList"}));
    EXPECT_EQ(memory.OpenHandles(), 0u);

    reg::MemoryRegistry empty;
    reg::Status status = reg::kSuccess;
    EXPECT_TRUE(settings::runhistory::Load(empty, &status).empty());
    EXPECT_EQ(status, reg::kFileNotFound);
    EXPECT_EQ(settings::runhistory::Delete(empty, u"a"), reg::kFileNotFound);
}

}  // namespace
