// libFuzzer target over the Run history's entry decoding: whatever a value's
// name and data hold, an entry shows a piece of the data and names its value
// whole, and deleting the listed entries deletes exactly those values.
//
// The input: its first byte is the name's length in characters, then the
// name (UTF-16LE), then the data.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "registry/AnsiCodePage.h"
#include "registry/MemoryRegistry.h"
#include "settings/RunHistory.h"

namespace {

const std::u16string kRunMru = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t nameLength = std::min<std::size_t>(bytes[0], (size - 1) / 2);
    std::u16string name;
    for (std::size_t i = 0; i < nameLength; ++i)
        name += char16_t(bytes[1 + 2 * i] | bytes[2 + 2 * i] << 8);
    const std::uint8_t* data = bytes + 1 + 2 * nameLength;
    const auto dataSize = static_cast<std::uint32_t>(size - 1 - 2 * nameLength);

    const auto entry = settings::runhistory::DecodeEntry(name, data, dataSize);
    if (entry) {
        Require(entry->valueName == name && !name.empty());
        Require(name.find(u'\0') == std::u16string::npos);
        Require(!reg::ansi::SameName(name, u"MRUList"));
        Require(entry->text.find(u'\0') == std::u16string::npos);
        Require(dataSize / 2 >= 3 && entry->text.size() <= dataSize / 2 - 3);
        for (std::size_t i = 0; i < entry->text.size(); ++i)
            Require(entry->text[i] == char16_t(data[2 * i] | data[2 * i + 1] << 8));
    }

    // The value beside another whose name is the same up to a NUL: listing
    // and deleting every entry never takes a value no entry named.
    reg::MemoryRegistry memory;
    memory.PutW(reg::kCurrentUser, kRunMru, name, reg::kRegSz,
                std::vector<std::uint8_t>(data, data + dataSize));
    const std::u16string shorter = name.substr(0, name.find(u'\0'));
    const bool other = shorter != name && !reg::ansi::SameName(shorter, name);
    if (other) memory.PutW(reg::kCurrentUser, kRunMru, shorter, reg::kRegBinary, {});
    const std::vector<settings::runhistory::Entry> entries = settings::runhistory::Load(memory);
    Require(entries.size() <= 1);
    Require(entries.empty() == !entry || dataSize > 2 * settings::runhistory::kBufferSize ||
            name.size() >= settings::runhistory::kBufferSize);
    for (const settings::runhistory::Entry& e : entries)
        Require(settings::runhistory::Delete(memory, e.valueName) == reg::kSuccess);
    const std::vector<std::u16string> left = memory.ValueNamesW(reg::kCurrentUser, kRunMru);
    Require(left.size() == (entries.empty() ? 1u : 0u) + (other ? 1u : 0u));
    if (other) Require(std::find(left.begin(), left.end(), shorter) != left.end());
    Require(memory.OpenHandles() == 0);
    return 0;
}
