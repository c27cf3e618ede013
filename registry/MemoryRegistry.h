// A registry held in memory, for tests: keys, typed values and the rights a
// key grants, with the same result codes Windows gives. The conformance suite
// runs the same cases on it and on the real registry; where the two differ,
// this one is wrong.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "registry/RegistryApi.h"

namespace reg {

class MemoryRegistry final : public RegistryApi {
  public:
    struct Value {
        std::uint32_t type = kRegNone;
        std::vector<std::uint8_t> data;
    };

    MemoryRegistry();
    ~MemoryRegistry() override;
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

    Status RegOpenKeyExA(Key key, const char* subKey, std::uint32_t options,
                         std::uint32_t samDesired, Key* result) override;
    Status RegCreateKeyExA(Key key, const char* subKey, std::uint32_t reserved,
                           const char* keyClass, std::uint32_t options, std::uint32_t samDesired,
                           const void* securityAttributes, Key* result,
                           std::uint32_t* disposition) override;
    Status RegQueryValueExA(Key key, const char* valueName, std::uint32_t* reserved,
                            std::uint32_t* type, std::uint8_t* data,
                            std::uint32_t* dataSize) override;
    Status RegSetValueExA(Key key, const char* valueName, std::uint32_t reserved,
                          std::uint32_t type, const std::uint8_t* data,
                          std::uint32_t dataSize) override;
    Status RegDeleteValueA(Key key, const char* valueName) override;
    Status RegEnumValueA(Key key, std::uint32_t index, char* valueName,
                         std::uint32_t* valueNameSize, std::uint32_t* reserved, std::uint32_t* type,
                         std::uint8_t* data, std::uint32_t* dataSize) override;
    Status RegCloseKey(Key key) override;

    // Test set-up and inspection, outside the seam. Paths are relative to a
    // predefined root; missing keys on the way are created.
    void AddKey(Key root, const std::string& path);
    void Put(Key root, const std::string& path, const std::string& name, std::uint32_t type,
             std::vector<std::uint8_t> data);
    void PutSz(Key root, const std::string& path, const std::string& name,
               const std::string& text);  // text and its NUL
    void PutDword(Key root, const std::string& path, const std::string& name, std::uint32_t number);
    bool HasKey(Key root, const std::string& path) const;
    std::optional<Value> Get(Key root, const std::string& path, const std::string& name) const;
    // Names of the key's values, in the order they were first set.
    std::vector<std::string> ValueNames(Key root, const std::string& path) const;

    // The key and everything under it refuse to be opened (or created) with
    // any of these rights, as keys do for an account that lacks them: for
    // instance kKeyWrite for HKEY_LOCAL_MACHINE of a limited account.
    void Deny(Key root, const std::string& path, std::uint32_t rights);

    // Handles opened and not yet closed.
    std::size_t OpenHandles() const { return handles_.size(); }

  private:
    struct Node;
    struct Handle {
        Node* node;
        std::uint32_t granted;
    };

    Node* RootNode(Key root) const;
    Node* Resolve(Key key, std::uint32_t* granted) const;
    Node* Find(Node* from, const std::string& path) const;
    Node* MakePath(Key root, const std::string& path);
    Key NewHandle(Node* node, std::uint32_t granted);

    std::unique_ptr<Node> currentUser_;
    std::unique_ptr<Node> localMachine_;
    std::unique_ptr<Node> users_;
    std::map<Key, Handle> handles_;
    Key nextHandle_ = 0x100;
};

}  // namespace reg
