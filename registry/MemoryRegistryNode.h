// Inside the in-memory registry: its key nodes and the value helpers that
// both its calls (MemoryRegistry.cpp) and its set-up for tests
// (MemoryRegistrySetup.cpp) use. Not for anyone else.
#pragma once
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "registry/AnsiCodePage.h"
#include "registry/MemoryRegistry.h"

namespace reg {

struct MemoryRegistry::Node {
    std::u16string name;
    Node* parent = nullptr;
    std::uint32_t denied = 0;
    bool deleted = false;
    std::vector<std::unique_ptr<Node>> children;
    // Kept in the order they were first set, as Windows lists them.
    std::vector<std::pair<std::u16string, Value>> values;
};

namespace memory {

// The specific key rights a requested mask stands for.
inline std::uint32_t MapAccess(std::uint32_t requested) {
    std::uint32_t rights = requested & 0x00FFFFFF;
    if (requested & kGenericRead) rights |= kKeyRead;
    if (requested & kGenericWrite) rights |= kKeyWrite;
    if (requested & kGenericExecute) rights |= kKeyRead;
    if (requested & kGenericAll) rights |= kKeyAllAccess;
    return rights;
}

inline bool IsString(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// String data between the ANSI calls and the UTF-16 the registry holds: one
// character a byte; an odd last byte of stored data is no character and is
// dropped, as Windows does.
inline std::vector<std::uint8_t> WideData(const std::uint8_t* data, std::uint32_t size) {
    const std::u16string wide = ansi::ToWide(reinterpret_cast<const char*>(data), size);
    std::vector<std::uint8_t> out;
    for (char16_t c : wide) {
        out.push_back(std::uint8_t(c & 0xFF));
        out.push_back(std::uint8_t(c >> 8));
    }
    return out;
}

inline std::vector<std::uint8_t> AnsiData(const std::vector<std::uint8_t>& data) {
    std::u16string wide(data.size() / 2, u'\0');
    for (std::size_t i = 0; i < wide.size(); ++i)
        wide[i] = char16_t(data[2 * i] | data[2 * i + 1] << 8);
    const std::string text = ansi::FromWide(wide);
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// The data a call sees: as stored for the wide calls, converted for the ANSI
// ones when it is text.
inline std::vector<std::uint8_t> Seen(const MemoryRegistry::Value& value, bool ansi) {
    return ansi && IsString(value.type) ? AnsiData(value.data) : value.data;
}

template <class NodeT>
auto FindValue(NodeT* node, const std::u16string& name) {
    return std::find_if(node->values.begin(), node->values.end(),
                        [&](const auto& v) { return ansi::SameName(v.first, name); });
}

template <class NodeT>
void Store(NodeT* node, const std::u16string& name, MemoryRegistry::Value value) {
    auto it = FindValue(node, name);
    if (it != node->values.end())
        it->second = std::move(value);
    else
        node->values.emplace_back(name, std::move(value));
}

}  // namespace memory

}  // namespace reg
