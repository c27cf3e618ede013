// A registry held in memory, for tests: keys, typed values and the rights a
// key grants, with the same result codes Windows gives. Names and string
// data are held as UTF-16, as Windows holds them; the ANSI calls see them
// through code page 1252 (see AnsiCodePage.h). The conformance suite
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

    Status RegOpenKeyExW(Key key, const char16_t* subKey, std::uint32_t options,
                         std::uint32_t samDesired, Key* result) override;
    Status RegCreateKeyExW(Key key, const char16_t* subKey, std::uint32_t reserved,
                           const char16_t* keyClass, std::uint32_t options,
                           std::uint32_t samDesired, const void* securityAttributes, Key* result,
                           std::uint32_t* disposition) override;
    Status RegQueryValueExW(Key key, const char16_t* valueName, std::uint32_t* reserved,
                            std::uint32_t* type, std::uint8_t* data,
                            std::uint32_t* dataSize) override;
    Status RegSetValueExW(Key key, const char16_t* valueName, std::uint32_t reserved,
                          std::uint32_t type, const std::uint8_t* data,
                          std::uint32_t dataSize) override;
    Status RegDeleteValueW(Key key, const char16_t* valueName) override;
    Status RegEnumValueW(Key key, std::uint32_t index, char16_t* valueName,
                         std::uint32_t* valueNameSize, std::uint32_t* reserved, std::uint32_t* type,
                         std::uint8_t* data, std::uint32_t* dataSize) override;
    Status RegDeleteKeyW(Key key, const char16_t* subKey) override;

    // Test set-up and inspection, outside the seam. Paths are relative to a
    // predefined root; missing keys on the way are created. Names and string
    // data given as std::string are ANSI, stored and shown as the ANSI calls
    // would; the u16string forms are exact (and may name a value with a NUL,
    // as only the native API can).
    void AddKey(Key root, const std::string& path);
    void Put(Key root, const std::string& path, const std::string& name, std::uint32_t type,
             std::vector<std::uint8_t> data);
    void PutW(Key root, const std::u16string& path, const std::u16string& name, std::uint32_t type,
              std::vector<std::uint8_t> data);
    void PutSz(Key root, const std::string& path, const std::string& name,
               const std::string& text);  // text and its NUL
    void PutDword(Key root, const std::string& path, const std::string& name, std::uint32_t number);
    bool HasKey(Key root, const std::string& path) const;
    std::optional<Value> Get(Key root, const std::string& path, const std::string& name) const;
    std::optional<Value> GetW(Key root, const std::u16string& path,
                              const std::u16string& name) const;
    // Names of the key's values, in the order they were first set.
    std::vector<std::string> ValueNames(Key root, const std::string& path) const;
    std::vector<std::u16string> ValueNamesW(Key root, const std::u16string& path) const;

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
    // kSuccess, kInvalidHandle, or kKeyDeleted for a handle whose key went.
    Status Resolve(Key key, Node** node, std::uint32_t* granted) const;
    Node* Find(Node* from, const std::u16string& path) const;
    Node* MakePath(Key root, const std::u16string& path);
    Key NewHandle(Node* node, std::uint32_t granted);

    Status Open(Key key, const std::u16string& subKey, std::uint32_t samDesired, Key* result);
    Status Create(Key key, const std::u16string& subKey, std::uint32_t samDesired, Key* result,
                  std::uint32_t* disposition);
    Status Query(Key key, const std::u16string& name, bool ansi, std::uint32_t* reserved,
                 std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize);
    Status Set(Key key, const std::u16string& name, std::uint32_t type,
               std::vector<std::uint8_t> data);
    Status Delete(Key key, const std::u16string& name);
    // The value at `index` with its exact name, after the checks the enumeration makes.
    Status Enum(Key key, std::uint32_t index, bool hasName, std::uint32_t* reserved,
                std::uint8_t* data, std::uint32_t* dataSize,
                const std::pair<std::u16string, Value>** found);

    std::unique_ptr<Node> currentUser_;
    std::unique_ptr<Node> localMachine_;
    std::unique_ptr<Node> users_;
    std::map<Key, Handle> handles_;
    std::vector<std::unique_ptr<Node>> deleted_;  // kept for the handles still open on them
    Key nextHandle_ = 0x100;
};

}  // namespace reg
