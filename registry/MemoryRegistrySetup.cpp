#include "registry/MemoryRegistryNode.h"

// The in-memory registry's set-up and inspection, for tests: keys and values
// put in place directly, rights taken away, and what is there read back
// without going through the calls under test.

namespace reg {

using namespace memory;

void MemoryRegistry::AddKey(Key root, const std::string& path) {
    MakePath(root, ansi::ToWide(path));
}

void MemoryRegistry::Put(Key root, const std::string& path, const std::string& name,
                         std::uint32_t type, std::vector<std::uint8_t> data) {
    if (IsString(type)) data = WideData(data.data(), static_cast<std::uint32_t>(data.size()));
    PutW(root, ansi::ToWide(path), ansi::ToWide(name), type, std::move(data));
}

void MemoryRegistry::PutW(Key root, const std::u16string& path, const std::u16string& name,
                          std::uint32_t type, std::vector<std::uint8_t> data) {
    if (Node* node = MakePath(root, path)) Store(node, name, Value{type, std::move(data)});
}

void MemoryRegistry::PutSz(Key root, const std::string& path, const std::string& name,
                           const std::string& text) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    Put(root, path, name, kRegSz, std::move(data));
}

void MemoryRegistry::PutDword(Key root, const std::string& path, const std::string& name,
                              std::uint32_t number) {
    Put(root, path, name, kRegDword,
        {std::uint8_t(number), std::uint8_t(number >> 8), std::uint8_t(number >> 16),
         std::uint8_t(number >> 24)});
}

bool MemoryRegistry::HasKey(Key root, const std::string& path) const {
    Node* root_node = RootNode(root);
    return root_node != nullptr && Find(root_node, ansi::ToWide(path)) != nullptr;
}

std::optional<MemoryRegistry::Value> MemoryRegistry::Get(Key root, const std::string& path,
                                                         const std::string& name) const {
    std::optional<Value> value = GetW(root, ansi::ToWide(path), ansi::ToWide(name));
    if (value) value->data = Seen(*value, true);
    return value;
}

std::optional<MemoryRegistry::Value> MemoryRegistry::GetW(Key root, const std::u16string& path,
                                                          const std::u16string& name) const {
    Node* root_node = RootNode(root);
    Node* node = root_node != nullptr ? Find(root_node, path) : nullptr;
    if (node == nullptr) return std::nullopt;
    auto it = FindValue(node, name);
    if (it == node->values.end()) return std::nullopt;
    return it->second;
}

std::vector<std::string> MemoryRegistry::ValueNames(Key root, const std::string& path) const {
    std::vector<std::string> names;
    for (const std::u16string& name : ValueNamesW(root, ansi::ToWide(path)))
        names.push_back(ansi::FromWide(name));
    return names;
}

std::vector<std::u16string> MemoryRegistry::ValueNamesW(Key root,
                                                        const std::u16string& path) const {
    std::vector<std::u16string> names;
    Node* root_node = RootNode(root);
    if (Node* node = root_node != nullptr ? Find(root_node, path) : nullptr)
        for (const auto& value : node->values) names.push_back(value.first);
    return names;
}

void MemoryRegistry::Deny(Key root, const std::string& path, std::uint32_t rights) {
    // Reading the key's security stays allowed: it is part of KEY_READ too.
    if (Node* node = MakePath(root, ansi::ToWide(path)))
        node->denied |= MapAccess(rights) & ~kReadControl;
}

}  // namespace reg
