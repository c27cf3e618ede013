#include "registry/MemoryRegistry.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "registry/AnsiCodePage.h"
#include "registry/MemoryRegistryNode.h"

namespace reg {

namespace {

using ansi::SameName;
using namespace memory;

std::vector<std::u16string> Components(const std::u16string& path) {
    std::vector<std::u16string> parts;
    std::u16string part;
    for (char16_t c : path) {
        if (c == u'\\') {
            if (!part.empty()) parts.push_back(std::move(part));
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(std::move(part));
    return parts;
}

std::u16string Text(const char16_t* text) {
    return text != nullptr ? std::u16string(text) : std::u16string();
}

std::u16string Text(const char* text) {
    return text != nullptr ? ansi::ToWide(text, std::strlen(text)) : std::u16string();
}

// Copies data out the way the query and enumeration calls do: too small a
// buffer gives kMoreData with the size needed; a text that fits with room to
// spare gets a terminator (a byte for the ANSI calls, two for the wide ones)
// when it ends without one.
Status CopyData(std::uint32_t type, const std::vector<std::uint8_t>& bytes, bool ansi,
                std::uint8_t* data, std::uint32_t* dataSize) {
    const auto size = static_cast<std::uint32_t>(bytes.size());
    const std::uint32_t unit = ansi ? 1 : 2;
    Status status = kSuccess;
    if (data != nullptr) {
        if (size > *dataSize) {
            status = kMoreData;
        } else {
            std::copy(bytes.begin(), bytes.end(), data);
            const bool ended = size >= unit && bytes[size - 1] == 0 && bytes[size - unit] == 0;
            if (IsString(type) && size >= unit && size + unit <= *dataSize && !ended)
                std::fill(data + size, data + size + unit, std::uint8_t(0));
        }
    }
    if (dataSize != nullptr) *dataSize = size;
    return status;
}

template <class NodeT>
NodeT* Child(NodeT* node, const std::u16string& name) {
    for (auto& child : node->children)
        if (SameName(child->name, name)) return child.get();
    return nullptr;
}

template <class NodeT>
NodeT* AddChild(NodeT* node, const std::u16string& name) {
    node->children.push_back(std::make_unique<NodeT>());
    NodeT* child = node->children.back().get();
    child->name = name;
    child->parent = node;
    return child;
}

template <class NodeT>
std::uint32_t Denied(const NodeT* node) {
    std::uint32_t denied = 0;
    for (; node != nullptr; node = node->parent) denied |= node->denied;
    return denied;
}

}  // namespace

MemoryRegistry::MemoryRegistry()
    : currentUser_(std::make_unique<Node>()),
      localMachine_(std::make_unique<Node>()),
      users_(std::make_unique<Node>()) {}

MemoryRegistry::~MemoryRegistry() = default;

MemoryRegistry::Node* MemoryRegistry::RootNode(Key root) const {
    switch (root) {
        case kCurrentUser:
            return currentUser_.get();
        case kLocalMachine:
            return localMachine_.get();
        case kUsers:
            return users_.get();
        default:
            return nullptr;
    }
}

Status MemoryRegistry::Resolve(Key key, Node** node, std::uint32_t* granted) const {
    if (Node* root = RootNode(key)) {
        // The predefined handles carry every right the key itself allows.
        *granted = kKeyAllAccess;
        *node = root;
        return kSuccess;
    }
    auto it = handles_.find(key);
    if (it == handles_.end()) return kInvalidHandle;
    *granted = it->second.granted;
    *node = it->second.node;
    return (*node)->deleted ? kKeyDeleted : kSuccess;
}

MemoryRegistry::Node* MemoryRegistry::Find(Node* from, const std::u16string& path) const {
    Node* node = from;
    for (const auto& part : Components(path)) {
        if (node == nullptr) break;
        node = Child(node, part);
    }
    return node;
}

MemoryRegistry::Node* MemoryRegistry::MakePath(Key root, const std::u16string& path) {
    Node* node = RootNode(root);
    if (node == nullptr) return nullptr;
    for (const auto& part : Components(path)) {
        Node* child = Child(node, part);
        node = child != nullptr ? child : AddChild(node, part);
    }
    return node;
}

Key MemoryRegistry::NewHandle(Node* node, std::uint32_t granted) {
    const Key key = nextHandle_;
    nextHandle_ += 4;  // never reused, so a closed handle stays invalid
    handles_[key] = Handle{node, granted};
    return key;
}

// ---- the calls, once for both kinds of name ----

Status MemoryRegistry::Open(Key key, const std::u16string& subKey, std::uint32_t samDesired,
                            Key* result) {
    if (result == nullptr) return kInvalidParameter;
    *result = kNullKey;
    std::uint32_t granted = 0;
    Node* base = nullptr;
    if (const Status s = Resolve(key, &base, &granted)) return s;
    // A predefined root opened without a path is handed back as it is.
    if (RootNode(key) != nullptr && subKey.empty()) {
        *result = key;
        return kSuccess;
    }
    Node* node = Find(base, subKey);
    if (node == nullptr) return kFileNotFound;
    const std::uint32_t rights = MapAccess(samDesired);
    if (rights & Denied(node)) return kAccessDenied;
    *result = NewHandle(node, rights);
    return kSuccess;
}

Status MemoryRegistry::Create(Key key, const std::u16string& subKey, std::uint32_t samDesired,
                              Key* result, std::uint32_t* disposition) {
    if (result == nullptr) return kInvalidParameter;
    *result = kNullKey;
    std::uint32_t granted = 0;
    Node* node = nullptr;
    if (const Status s = Resolve(key, &node, &granted)) return s;
    // The keys of the path that exist already.
    const std::vector<std::u16string> parts = Components(subKey);
    std::size_t existing = 0;
    for (; existing < parts.size(); ++existing) {
        Node* child = Child(node, parts[existing]);
        if (child == nullptr) break;
        node = child;
    }
    // The rights of the parent handle do not matter here, only those the
    // keys on the way grant; Windows does the same. A key that may not have
    // keys made under it refuses before anything is made, and new keys take
    // on what the key above them refuses: a refused create leaves no key.
    const std::uint32_t rights = MapAccess(samDesired);
    const std::uint32_t denied = Denied(node);
    const bool create = existing < parts.size();
    if ((create && (denied & kKeyCreateSubKey)) || (rights & denied)) return kAccessDenied;
    for (std::size_t i = existing; i < parts.size(); ++i) node = AddChild(node, parts[i]);
    *result = NewHandle(node, rights);
    if (disposition != nullptr) *disposition = create ? kCreatedNewKey : kOpenedExistingKey;
    return kSuccess;
}

Status MemoryRegistry::Query(Key key, const std::u16string& name, bool ansi,
                             std::uint32_t* reserved, std::uint32_t* type, std::uint8_t* data,
                             std::uint32_t* dataSize) {
    std::uint32_t granted = 0;
    Node* node = nullptr;
    if (const Status s = Resolve(key, &node, &granted)) return s;
    if ((data != nullptr && dataSize == nullptr) || reserved != nullptr) return kInvalidParameter;
    if (!(granted & kKeyQueryValue)) return kAccessDenied;
    auto it = FindValue(node, name);
    if (it == node->values.end()) return kFileNotFound;
    if (type != nullptr) *type = it->second.type;
    return CopyData(it->second.type, Seen(it->second, ansi), ansi, data, dataSize);
}

Status MemoryRegistry::Set(Key key, const std::u16string& name, std::uint32_t type,
                           std::vector<std::uint8_t> data) {
    std::uint32_t granted = 0;
    Node* node = nullptr;
    if (const Status s = Resolve(key, &node, &granted)) return s;
    if (!(granted & kKeySetValue)) return kAccessDenied;
    Store(node, name, Value{type, std::move(data)});
    return kSuccess;
}

Status MemoryRegistry::Delete(Key key, const std::u16string& name) {
    std::uint32_t granted = 0;
    Node* node = nullptr;
    if (const Status s = Resolve(key, &node, &granted)) return s;
    if (!(granted & kKeySetValue)) return kAccessDenied;
    auto it = FindValue(node, name);
    if (it == node->values.end()) return kFileNotFound;
    node->values.erase(it);
    return kSuccess;
}

Status MemoryRegistry::Enum(Key key, std::uint32_t index, bool hasName, std::uint32_t* reserved,
                            std::uint8_t* data, std::uint32_t* dataSize,
                            const std::pair<std::u16string, Value>** found) {
    std::uint32_t granted = 0;
    Node* node = nullptr;
    if (const Status s = Resolve(key, &node, &granted)) return s;
    if ((data != nullptr && dataSize == nullptr) || reserved != nullptr || !hasName)
        return kInvalidParameter;
    if (!(granted & kKeyQueryValue)) return kAccessDenied;
    if (index >= node->values.size()) return kNoMoreItems;
    *found = &node->values[index];
    return kSuccess;
}

// ---- ANSI ----

Status MemoryRegistry::RegOpenKeyExA(Key key, const char* subKey, std::uint32_t /*options*/,
                                     std::uint32_t samDesired, Key* result) {
    return Open(key, Text(subKey), samDesired, result);
}

Status MemoryRegistry::RegCreateKeyExA(Key key, const char* subKey, std::uint32_t /*reserved*/,
                                       const char* /*keyClass*/, std::uint32_t /*options*/,
                                       std::uint32_t samDesired, const void* /*securityAttributes*/,
                                       Key* result, std::uint32_t* disposition) {
    return Create(key, Text(subKey), samDesired, result, disposition);
}

Status MemoryRegistry::RegQueryValueExA(Key key, const char* valueName, std::uint32_t* reserved,
                                        std::uint32_t* type, std::uint8_t* data,
                                        std::uint32_t* dataSize) {
    return Query(key, Text(valueName), true, reserved, type, data, dataSize);
}

Status MemoryRegistry::RegSetValueExA(Key key, const char* valueName, std::uint32_t /*reserved*/,
                                      std::uint32_t type, const std::uint8_t* data,
                                      std::uint32_t dataSize) {
    if (data == nullptr && dataSize != 0) return kNoAccess;
    std::vector<std::uint8_t> bytes = IsString(type)
                                          ? WideData(data, dataSize)
                                          : std::vector<std::uint8_t>(data, data + dataSize);
    return Set(key, Text(valueName), type, std::move(bytes));
}

Status MemoryRegistry::RegDeleteValueA(Key key, const char* valueName) {
    return Delete(key, Text(valueName));
}

Status MemoryRegistry::RegEnumValueA(Key key, std::uint32_t index, char* valueName,
                                     std::uint32_t* valueNameSize, std::uint32_t* reserved,
                                     std::uint32_t* type, std::uint8_t* data,
                                     std::uint32_t* dataSize) {
    const std::pair<std::u16string, Value>* found = nullptr;
    if (const Status s = Enum(key, index, valueName != nullptr && valueNameSize != nullptr,
                              reserved, data, dataSize, &found))
        return s;
    const auto& [wideName, value] = *found;
    const Status status = CopyData(value.type, Seen(value, true), true, data, dataSize);
    if (type != nullptr) *type = value.type;
    // Data that does not fit leaves the name unwritten, as Windows does.
    if (status != kSuccess) return status;
    const std::string name = ansi::FromWide(wideName);
    if (name.size() >= *valueNameSize) {
        // The name does not fit with its NUL: as much as fits is given, the
        // size is left as it was.
        if (*valueNameSize > 0) {
            std::memcpy(valueName, name.data(), *valueNameSize - 1);
            valueName[*valueNameSize - 1] = '\0';
        }
        return kMoreData;
    }
    std::memcpy(valueName, name.data(), name.size());
    valueName[name.size()] = '\0';
    *valueNameSize = static_cast<std::uint32_t>(name.size());
    return kSuccess;
}

Status MemoryRegistry::RegCloseKey(Key key) {
    if (RootNode(key) != nullptr) return kSuccess;  // predefined handles stay open
    return handles_.erase(key) == 1 ? kSuccess : kInvalidHandle;
}

// ---- wide ----

Status MemoryRegistry::RegOpenKeyExW(Key key, const char16_t* subKey, std::uint32_t /*options*/,
                                     std::uint32_t samDesired, Key* result) {
    return Open(key, Text(subKey), samDesired, result);
}

Status MemoryRegistry::RegCreateKeyExW(Key key, const char16_t* subKey, std::uint32_t /*reserved*/,
                                       const char16_t* /*keyClass*/, std::uint32_t /*options*/,
                                       std::uint32_t samDesired, const void* /*securityAttributes*/,
                                       Key* result, std::uint32_t* disposition) {
    return Create(key, Text(subKey), samDesired, result, disposition);
}

Status MemoryRegistry::RegQueryValueExW(Key key, const char16_t* valueName, std::uint32_t* reserved,
                                        std::uint32_t* type, std::uint8_t* data,
                                        std::uint32_t* dataSize) {
    return Query(key, Text(valueName), false, reserved, type, data, dataSize);
}

Status MemoryRegistry::RegSetValueExW(Key key, const char16_t* valueName,
                                      std::uint32_t /*reserved*/, std::uint32_t type,
                                      const std::uint8_t* data, std::uint32_t dataSize) {
    if (data == nullptr && dataSize != 0) return kNoAccess;
    return Set(key, Text(valueName), type, std::vector<std::uint8_t>(data, data + dataSize));
}

Status MemoryRegistry::RegDeleteValueW(Key key, const char16_t* valueName) {
    return Delete(key, Text(valueName));
}

Status MemoryRegistry::RegEnumValueW(Key key, std::uint32_t index, char16_t* valueName,
                                     std::uint32_t* valueNameSize, std::uint32_t* reserved,
                                     std::uint32_t* type, std::uint8_t* data,
                                     std::uint32_t* dataSize) {
    const std::pair<std::u16string, Value>* found = nullptr;
    if (const Status s = Enum(key, index, valueName != nullptr && valueNameSize != nullptr,
                              reserved, data, dataSize, &found))
        return s;
    const auto& [name, value] = *found;
    // Unlike the ANSI call, the name comes first and data that does not fit
    // still leaves it given.
    if (name.size() >= *valueNameSize) {
        if (*valueNameSize > 0) {
            std::copy(name.begin(), name.begin() + (*valueNameSize - 1), valueName);
            valueName[*valueNameSize - 1] = u'\0';
        }
        if (type != nullptr) *type = value.type;
        if (dataSize != nullptr) *dataSize = static_cast<std::uint32_t>(value.data.size());
        return kMoreData;
    }
    std::copy(name.begin(), name.end(), valueName);
    valueName[name.size()] = u'\0';
    *valueNameSize = static_cast<std::uint32_t>(name.size());
    if (type != nullptr) *type = value.type;
    return CopyData(value.type, value.data, false, data, dataSize);
}

Status MemoryRegistry::RegDeleteKeyW(Key key, const char16_t* subKey) {
    if (subKey == nullptr) return kInvalidParameter;
    std::uint32_t granted = 0;
    Node* base = nullptr;
    if (const Status s = Resolve(key, &base, &granted)) return s;
    Node* node = Find(base, subKey);
    if (node == nullptr) return kFileNotFound;
    if (node->parent == nullptr || (Denied(node) & kDelete) || !node->children.empty())
        return kAccessDenied;
    auto& siblings = node->parent->children;
    auto it = std::find_if(siblings.begin(), siblings.end(),
                           [&](const std::unique_ptr<Node>& c) { return c.get() == node; });
    node->deleted = true;
    deleted_.push_back(std::move(*it));
    siblings.erase(it);
    return kSuccess;
}

}  // namespace reg
