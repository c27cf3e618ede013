#include "settings/RunHistory.h"

#include <algorithm>

#include "registry/AnsiCodePage.h"

namespace settings::runhistory {

const char16_t kRunMruPath[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

namespace {

// The shell stores each command followed by "\1" and the terminator.
constexpr std::uint32_t kEndingLength = 3;

}  // namespace

std::optional<Entry> DecodeEntry(const std::u16string& name, const std::uint8_t* data,
                                 std::uint32_t dataSize) {
    const std::uint32_t length = dataSize / 2;  // an odd last byte is no character
    if (name.empty() || name.find(u'\0') != std::u16string::npos ||
        reg::ansi::SameName(name, u"MRUList") || length < kEndingLength)
        return std::nullopt;
    Entry entry;
    entry.valueName = name;
    // The list shows a text up to its first NUL; the width is measured on
    // the same text.
    for (std::uint32_t i = 0; i < length - kEndingLength; ++i) {
        const auto c = char16_t(data[2 * i] | data[2 * i + 1] << 8);
        if (c == u'\0') break;
        entry.text += c;
    }
    return entry;
}

std::vector<Entry> Load(reg::RegistryApi& registry, reg::Status* status) {
    std::vector<Entry> entries;
    reg::UniqueKey key = reg::UniqueKey::Open(registry, reg::kCurrentUser,
                                              std::u16string(kRunMruPath), reg::kKeyRead, status);
    if (!key) return entries;
    std::u16string name(kBufferSize, u'\0');
    std::vector<std::uint8_t> data(2 * kBufferSize);
    for (std::uint32_t index = 0;; ++index) {
        std::uint32_t nameSize = kBufferSize;
        std::uint32_t dataSize = 2 * kBufferSize;
        if (registry.RegEnumValueW(key.get(), index, name.data(), &nameSize, nullptr, nullptr,
                                   data.data(), &dataSize) != reg::kSuccess)
            break;
        if (std::optional<Entry> entry =
                DecodeEntry(name.substr(0, std::min(nameSize, kBufferSize)), data.data(),
                            std::min<std::uint32_t>(dataSize, 2 * kBufferSize)))
            entries.push_back(std::move(*entry));
    }
    return entries;
}

reg::Status Delete(reg::RegistryApi& registry, const std::u16string& valueName) {
    if (valueName.find(u'\0') != std::u16string::npos) return reg::kInvalidParameter;
    reg::Status status = reg::kSuccess;
    reg::UniqueKey key = reg::UniqueKey::Open(
        registry, reg::kCurrentUser, std::u16string(kRunMruPath), reg::kKeySetValue, &status);
    if (!key) return status;
    return registry.RegDeleteValueW(key.get(), valueName.c_str());
}

}  // namespace settings::runhistory
