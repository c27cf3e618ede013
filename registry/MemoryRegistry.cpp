#include "registry/MemoryRegistry.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace reg {

struct MemoryRegistry::Node {
    std::string name;
    Node* parent = nullptr;
    std::uint32_t denied = 0;
    std::vector<std::unique_ptr<Node>> children;
    // Kept in the order they were first set, as Windows lists them.
    std::vector<std::pair<std::string, Value>> values;
};

namespace {

// Key and value names compare without regard to case, as in the registry.
bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty()) parts.push_back(std::move(part));
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(std::move(part));
    return parts;
}

// The specific key rights a requested mask stands for.
std::uint32_t MapAccess(std::uint32_t requested) {
    std::uint32_t rights = requested & 0x00FFFFFF;
    if (requested & kGenericRead) rights |= kKeyRead;
    if (requested & kGenericWrite) rights |= kKeyWrite;
    if (requested & kGenericExecute) rights |= kKeyRead;
    if (requested & kGenericAll) rights |= kKeyAllAccess;
    return rights;
}

bool IsString(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// Copies a value's data out the way RegQueryValueExA and RegEnumValueA do:
// too small a buffer gives kMoreData with the size needed; a text that fits
// with room to spare gets a NUL after it when it has none.
Status CopyData(const MemoryRegistry::Value& value, std::uint8_t* data, std::uint32_t* dataSize) {
    const auto size = static_cast<std::uint32_t>(value.data.size());
    Status status = kSuccess;
    if (data != nullptr) {
        if (size > *dataSize) {
            status = kMoreData;
        } else {
            std::copy(value.data.begin(), value.data.end(), data);
            if (IsString(value.type) && size > 0 && size < *dataSize && data[size - 1] != 0)
                data[size] = 0;
        }
    }
    if (dataSize != nullptr) *dataSize = size;
    return status;
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

MemoryRegistry::Node* MemoryRegistry::Resolve(Key key, std::uint32_t* granted) const {
    if (Node* root = RootNode(key)) {
        // The predefined handles carry every right the key itself allows.
        *granted = kKeyAllAccess;
        return root;
    }
    auto it = handles_.find(key);
    if (it == handles_.end()) return nullptr;
    *granted = it->second.granted;
    return it->second.node;
}

namespace {
template <class NodeT>
NodeT* Child(NodeT* node, const std::string& name) {
    for (auto& child : node->children)
        if (SameName(child->name, name)) return child.get();
    return nullptr;
}

template <class NodeT>
NodeT* AddChild(NodeT* node, const std::string& name) {
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

template <class NodeT>
auto FindValue(NodeT* node, const std::string& name) {
    return std::find_if(node->values.begin(), node->values.end(),
                        [&](const auto& v) { return SameName(v.first, name); });
}
}  // namespace

MemoryRegistry::Node* MemoryRegistry::Find(Node* from, const std::string& path) const {
    Node* node = from;
    for (const auto& part : Components(path)) {
        if (node == nullptr) break;
        node = Child(node, part);
    }
    return node;
}

MemoryRegistry::Node* MemoryRegistry::MakePath(Key root, const std::string& path) {
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

Status MemoryRegistry::RegOpenKeyExA(Key key, const char* subKey, std::uint32_t /*options*/,
                                     std::uint32_t samDesired, Key* result) {
    if (result == nullptr) return kInvalidParameter;
    *result = kNullKey;
    std::uint32_t granted = 0;
    Node* base = Resolve(key, &granted);
    if (base == nullptr) return kInvalidHandle;
    // A predefined root opened without a path is handed back as it is.
    if (RootNode(key) != nullptr && (subKey == nullptr || *subKey == '\0')) {
        *result = key;
        return kSuccess;
    }
    Node* node = Find(base, subKey != nullptr ? subKey : "");
    if (node == nullptr) return kFileNotFound;
    const std::uint32_t rights = MapAccess(samDesired);
    if (rights & Denied(node)) return kAccessDenied;
    *result = NewHandle(node, rights);
    return kSuccess;
}

Status MemoryRegistry::RegCreateKeyExA(Key key, const char* subKey, std::uint32_t /*reserved*/,
                                       const char* /*keyClass*/, std::uint32_t /*options*/,
                                       std::uint32_t samDesired, const void* /*securityAttributes*/,
                                       Key* result, std::uint32_t* disposition) {
    if (result == nullptr) return kInvalidParameter;
    *result = kNullKey;
    std::uint32_t granted = 0;
    Node* node = Resolve(key, &granted);
    if (node == nullptr) return kInvalidHandle;
    // The keys of the path that exist already.
    const std::vector<std::string> parts = Components(subKey != nullptr ? subKey : "");
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

Status MemoryRegistry::RegQueryValueExA(Key key, const char* valueName, std::uint32_t* reserved,
                                        std::uint32_t* type, std::uint8_t* data,
                                        std::uint32_t* dataSize) {
    std::uint32_t granted = 0;
    Node* node = Resolve(key, &granted);
    if (node == nullptr) return kInvalidHandle;
    if ((data != nullptr && dataSize == nullptr) || reserved != nullptr) return kInvalidParameter;
    if (!(granted & kKeyQueryValue)) return kAccessDenied;
    auto it = FindValue(node, valueName != nullptr ? valueName : "");
    if (it == node->values.end()) return kFileNotFound;
    if (type != nullptr) *type = it->second.type;
    return CopyData(it->second, data, dataSize);
}

Status MemoryRegistry::RegSetValueExA(Key key, const char* valueName, std::uint32_t /*reserved*/,
                                      std::uint32_t type, const std::uint8_t* data,
                                      std::uint32_t dataSize) {
    std::uint32_t granted = 0;
    Node* node = Resolve(key, &granted);
    if (node == nullptr) return kInvalidHandle;
    if (!(granted & kKeySetValue)) return kAccessDenied;
    if (data == nullptr && dataSize != 0) return kNoAccess;
    const std::string name = valueName != nullptr ? valueName : "";
    Value value{type, std::vector<std::uint8_t>(data, data + dataSize)};
    auto it = FindValue(node, name);
    if (it != node->values.end())
        it->second = std::move(value);
    else
        node->values.emplace_back(name, std::move(value));
    return kSuccess;
}

Status MemoryRegistry::RegDeleteValueA(Key key, const char* valueName) {
    std::uint32_t granted = 0;
    Node* node = Resolve(key, &granted);
    if (node == nullptr) return kInvalidHandle;
    if (!(granted & kKeySetValue)) return kAccessDenied;
    auto it = FindValue(node, valueName != nullptr ? valueName : "");
    if (it == node->values.end()) return kFileNotFound;
    node->values.erase(it);
    return kSuccess;
}

Status MemoryRegistry::RegEnumValueA(Key key, std::uint32_t index, char* valueName,
                                     std::uint32_t* valueNameSize, std::uint32_t* reserved,
                                     std::uint32_t* type, std::uint8_t* data,
                                     std::uint32_t* dataSize) {
    std::uint32_t granted = 0;
    Node* node = Resolve(key, &granted);
    if (node == nullptr) return kInvalidHandle;
    if ((data != nullptr && dataSize == nullptr) || reserved != nullptr || valueName == nullptr ||
        valueNameSize == nullptr)
        return kInvalidParameter;
    if (!(granted & kKeyQueryValue)) return kAccessDenied;
    if (index >= node->values.size()) return kNoMoreItems;
    const auto& [name, value] = node->values[index];
    Status status = CopyData(value, data, dataSize);
    if (type != nullptr) *type = value.type;
    if (name.size() >= *valueNameSize) {
        // The name does not fit with its NUL: as much as fits is given, the
        // size is left as it was.
        if (*valueNameSize > 0) {
            std::memcpy(valueName, name.data(), *valueNameSize - 1);
            valueName[*valueNameSize - 1] = '\0';
        }
        return kMoreData;
    }
    std::memcpy(valueName, name.c_str(), name.size() + 1);
    *valueNameSize = static_cast<std::uint32_t>(name.size());
    return status;
}

Status MemoryRegistry::RegCloseKey(Key key) {
    if (RootNode(key) != nullptr) return kSuccess;  // predefined handles stay open
    return handles_.erase(key) == 1 ? kSuccess : kInvalidHandle;
}

void MemoryRegistry::AddKey(Key root, const std::string& path) {
    MakePath(root, path);
}

void MemoryRegistry::Put(Key root, const std::string& path, const std::string& name,
                         std::uint32_t type, std::vector<std::uint8_t> data) {
    Node* node = MakePath(root, path);
    if (node == nullptr) return;
    Value value{type, std::move(data)};
    auto it = FindValue(node, name);
    if (it != node->values.end())
        it->second = std::move(value);
    else
        node->values.emplace_back(name, std::move(value));
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
    return root_node != nullptr && Find(root_node, path) != nullptr;
}

std::optional<MemoryRegistry::Value> MemoryRegistry::Get(Key root, const std::string& path,
                                                         const std::string& name) const {
    Node* root_node = RootNode(root);
    Node* node = root_node != nullptr ? Find(root_node, path) : nullptr;
    if (node == nullptr) return std::nullopt;
    auto it = FindValue(node, name);
    if (it == node->values.end()) return std::nullopt;
    return it->second;
}

std::vector<std::string> MemoryRegistry::ValueNames(Key root, const std::string& path) const {
    std::vector<std::string> names;
    Node* root_node = RootNode(root);
    if (Node* node = root_node != nullptr ? Find(root_node, path) : nullptr)
        for (const auto& value : node->values) names.push_back(value.first);
    return names;
}

void MemoryRegistry::Deny(Key root, const std::string& path, std::uint32_t rights) {
    // Reading the key's security stays allowed: it is part of KEY_READ too.
    if (Node* node = MakePath(root, path)) node->denied |= MapAccess(rights) & ~kReadControl;
}

}  // namespace reg
