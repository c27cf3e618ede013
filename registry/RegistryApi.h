// The registry as the program reaches it: the advapi32 calls it makes, with
// their arguments and result codes, behind one interface. The wide calls
// carry names exactly (char16_t is wchar_t's size on Windows); the ANSI ones
// see them through the system's code page, as Windows shows an ANSI caller. The program
// runs on RegistryWin32 (the real calls); tests run on MemoryRegistry or,
// under Wine, on the real registry. Portable: no <windows.h> here, so the
// names avoid the macros that header defines (HKEY_CURRENT_USER, REG_SZ...).
#pragma once
#include <cstdint>
#include <string>

namespace reg {

// An open key or a predefined root, as the 32-bit value Win32 passes; 0 is
// the null handle.
using Key = std::uintptr_t;
// A Win32 result code (LONG): 0 success.
using Status = std::int32_t;

constexpr Key kNullKey = 0;
constexpr Key kCurrentUser = 0x80000001;
constexpr Key kLocalMachine = 0x80000002;
constexpr Key kUsers = 0x80000003;

// The result codes the registry calls give for the cases the program meets.
constexpr Status kSuccess = 0;
constexpr Status kFileNotFound = 2;
constexpr Status kAccessDenied = 5;
constexpr Status kInvalidHandle = 6;
constexpr Status kInvalidParameter = 87;
constexpr Status kMoreData = 234;
constexpr Status kNoMoreItems = 259;
constexpr Status kNoAccess = 998;     // a null data pointer with a non-zero size
constexpr Status kKeyDeleted = 1018;  // the handle's key was deleted

// Value types.
constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;

// Access rights of a key handle.
constexpr std::uint32_t kKeyQueryValue = 0x0001;
constexpr std::uint32_t kKeySetValue = 0x0002;
constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
constexpr std::uint32_t kKeyNotify = 0x0010;
constexpr std::uint32_t kKeyCreateLink = 0x0020;
constexpr std::uint32_t kDelete = 0x00010000;
constexpr std::uint32_t kReadControl = 0x00020000;
constexpr std::uint32_t kWriteDac = 0x00040000;
constexpr std::uint32_t kWriteOwner = 0x00080000;
constexpr std::uint32_t kKeyRead =
    kReadControl | kKeyQueryValue | kKeyEnumerateSubKeys | kKeyNotify;
constexpr std::uint32_t kKeyWrite = kReadControl | kKeySetValue | kKeyCreateSubKey;
constexpr std::uint32_t kKeyAllAccess = 0x000F003F;
constexpr std::uint32_t kGenericRead = 0x80000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;
constexpr std::uint32_t kGenericExecute = 0x20000000;
constexpr std::uint32_t kGenericAll = 0x10000000;
// The registry's 64-bit view, asked for in an open's or a create's access.
constexpr std::uint32_t kKeyWow64_64Key = 0x0100;

// The access an open or a create passes to Windows. A 32-bit program on
// 64-bit Windows (WOW64) sees HKLM\SOFTWARE redirected to its Wow6432Node
// copy, which Windows itself never reads: half the settings would be written
// there and shown as done. So under WOW64 every open and create asks for the
// 64-bit view; anywhere else nothing is redirected and the access goes to
// Windows exactly as the caller gave it.
constexpr std::uint32_t ViewMask(std::uint32_t samDesired, bool wow64) {
    return wow64 ? samDesired | kKeyWow64_64Key : samDesired;
}

// RegCreateKeyExA's option and dispositions.
constexpr std::uint32_t kOptionNonVolatile = 0;
constexpr std::uint32_t kCreatedNewKey = 1;
constexpr std::uint32_t kOpenedExistingKey = 2;

class RegistryApi {
  public:
    virtual ~RegistryApi() = default;

    virtual Status RegOpenKeyExA(Key key, const char* subKey, std::uint32_t options,
                                 std::uint32_t samDesired, Key* result) = 0;
    // securityAttributes: a SECURITY_ATTRIBUTES record or null.
    virtual Status RegCreateKeyExA(Key key, const char* subKey, std::uint32_t reserved,
                                   const char* keyClass, std::uint32_t options,
                                   std::uint32_t samDesired, const void* securityAttributes,
                                   Key* result, std::uint32_t* disposition) = 0;
    virtual Status RegQueryValueExA(Key key, const char* valueName, std::uint32_t* reserved,
                                    std::uint32_t* type, std::uint8_t* data,
                                    std::uint32_t* dataSize) = 0;
    virtual Status RegSetValueExA(Key key, const char* valueName, std::uint32_t reserved,
                                  std::uint32_t type, const std::uint8_t* data,
                                  std::uint32_t dataSize) = 0;
    virtual Status RegDeleteValueA(Key key, const char* valueName) = 0;
    virtual Status RegEnumValueA(Key key, std::uint32_t index, char* valueName,
                                 std::uint32_t* valueNameSize, std::uint32_t* reserved,
                                 std::uint32_t* type, std::uint8_t* data,
                                 std::uint32_t* dataSize) = 0;
    virtual Status RegCloseKey(Key key) = 0;

    // The same calls with names as UTF-16: sizes of data in bytes, of names in
    // characters, as advapi32's W calls. String data (REG_SZ, REG_EXPAND_SZ,
    // REG_MULTI_SZ) is UTF-16LE as the registry holds it.
    virtual Status RegOpenKeyExW(Key key, const char16_t* subKey, std::uint32_t options,
                                 std::uint32_t samDesired, Key* result) = 0;
    virtual Status RegCreateKeyExW(Key key, const char16_t* subKey, std::uint32_t reserved,
                                   const char16_t* keyClass, std::uint32_t options,
                                   std::uint32_t samDesired, const void* securityAttributes,
                                   Key* result, std::uint32_t* disposition) = 0;
    virtual Status RegQueryValueExW(Key key, const char16_t* valueName, std::uint32_t* reserved,
                                    std::uint32_t* type, std::uint8_t* data,
                                    std::uint32_t* dataSize) = 0;
    virtual Status RegSetValueExW(Key key, const char16_t* valueName, std::uint32_t reserved,
                                  std::uint32_t type, const std::uint8_t* data,
                                  std::uint32_t dataSize) = 0;
    virtual Status RegDeleteValueW(Key key, const char16_t* valueName) = 0;
    // *valueNameSize is the count of characters the name has, so a name that
    // holds a NUL (made through the native API) is given whole. The order is
    // the registry's own (Windows: as the values were made; Wine: by name).
    virtual Status RegEnumValueW(Key key, std::uint32_t index, char16_t* valueName,
                                 std::uint32_t* valueNameSize, std::uint32_t* reserved,
                                 std::uint32_t* type, std::uint8_t* data,
                                 std::uint32_t* dataSize) = 0;
    // Deletes key\subKey with its values; a key with subkeys is refused with
    // kAccessDenied, so a whole tree is never taken (the program only ever
    // removes a key it made, once emptied: see backup::RemoveIfEmpty). Beware: an empty subKey
    // deletes the handle's own key. A handle still open on a deleted key gives
    // kKeyDeleted.
    virtual Status RegDeleteKeyW(Key key, const char16_t* subKey) = 0;
};

// Owns one open key and closes it once, when it goes. Holds nothing after a
// failed open, so a failure can never be followed by use of a stale handle.
class UniqueKey {
  public:
    UniqueKey() = default;
    UniqueKey(RegistryApi& api, Key key) : api_(&api), key_(key) {}
    UniqueKey(UniqueKey&& other) noexcept : api_(other.api_), key_(other.key_) {
        other.key_ = kNullKey;
    }
    UniqueKey& operator=(UniqueKey&& other) noexcept {
        if (this != &other) {
            Close();
            api_ = other.api_;
            key_ = other.key_;
            other.key_ = kNullKey;
        }
        return *this;
    }
    UniqueKey(const UniqueKey&) = delete;
    UniqueKey& operator=(const UniqueKey&) = delete;
    ~UniqueKey() { Close(); }

    Key get() const { return key_; }
    explicit operator bool() const { return key_ != kNullKey; }

    // Closes the key now; the result of RegCloseKey, or success when empty.
    Status Close() {
        Status status = kSuccess;
        if (key_ != kNullKey && api_ != nullptr) status = api_->RegCloseKey(key_);
        key_ = kNullKey;
        return status;
    }

    // RegOpenKeyExA(root, path, 0, access); *status (when given) gets its code.
    static UniqueKey Open(RegistryApi& api, Key root, const std::string& path, std::uint32_t access,
                          Status* status = nullptr) {
        Key key = kNullKey;
        const Status s = api.RegOpenKeyExA(root, path.c_str(), 0, access, &key);
        if (status != nullptr) *status = s;
        return s == kSuccess ? UniqueKey(api, key) : UniqueKey();
    }

    // RegOpenKeyExW(root, path, 0, access).
    static UniqueKey Open(RegistryApi& api, Key root, const std::u16string& path,
                          std::uint32_t access, Status* status = nullptr) {
        Key key = kNullKey;
        const Status s = api.RegOpenKeyExW(root, path.c_str(), 0, access, &key);
        if (status != nullptr) *status = s;
        return s == kSuccess ? UniqueKey(api, key) : UniqueKey();
    }

  private:
    RegistryApi* api_ = nullptr;
    Key key_ = kNullKey;
};

}  // namespace reg
