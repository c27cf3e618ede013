#include "registry/RegistryWin32.h"

#include <windows.h>

#include <string>

#include "win32/Handles.h"

namespace reg {

namespace {

// Our roots are the 32-bit values of the predefined handles; on a 64-bit
// build Windows sign-extends them, so they are translated by name.
HKEY ToHkey(Key key) {
    switch (key) {
        case kCurrentUser:
            return HKEY_CURRENT_USER;
        case kLocalMachine:
            return HKEY_LOCAL_MACHINE;
        case kUsers:
            return HKEY_USERS;
        default:
            return reinterpret_cast<HKEY>(key);
    }
}

Key FromHkey(HKEY hkey) {
    if (hkey == HKEY_CURRENT_USER) return kCurrentUser;
    if (hkey == HKEY_LOCAL_MACHINE) return kLocalMachine;
    if (hkey == HKEY_USERS) return kUsers;
    return reinterpret_cast<Key>(hkey);
}

// An in/out DWORD beside our uint32_t: copied in before the call and back
// after it, and null stays null.
class DwordArg {
  public:
    explicit DwordArg(std::uint32_t* p) : p_(p), v_(p != nullptr ? *p : 0) {}
    ~DwordArg() {
        if (p_ != nullptr) *p_ = static_cast<std::uint32_t>(v_);
    }
    DwordArg(const DwordArg&) = delete;
    DwordArg& operator=(const DwordArg&) = delete;
    DWORD* get() { return p_ != nullptr ? &v_ : nullptr; }

  private:
    std::uint32_t* p_;
    DWORD v_;
};

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 names pass as they are");

const wchar_t* W(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

// Whether this is a 32-bit process on 64-bit Windows: asked once, as it
// cannot change while the process runs. kernel32 has IsWow64Process only
// from XP SP2 on, so it is looked up rather than imported, which would stop
// Dovrane starting on SP1; where it is missing, so is 64-bit Windows.
bool UnderWow64() {
    static const bool wow64 = [] {
        using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, BOOL*);
        const auto isWow64Process = win32::ProcAddress<IsWow64ProcessFn>(
            GetModuleHandleA("kernel32.dll"), "IsWow64Process");
        BOOL wow64Process = FALSE;
        return isWow64Process != nullptr &&
               isWow64Process(GetCurrentProcess(), &wow64Process) != FALSE && wow64Process != FALSE;
    }();
    return wow64;
}

REGSAM Access(std::uint32_t samDesired) {
    return ViewMask(samDesired, UnderWow64());
}

}  // namespace

Status RegistryWin32::RegOpenKeyExA(Key key, const char* subKey, std::uint32_t options,
                                    std::uint32_t samDesired, Key* result) {
    HKEY out = nullptr;
    const LONG status = ::RegOpenKeyExA(ToHkey(key), subKey, options, Access(samDesired),
                                        result != nullptr ? &out : nullptr);
    if (result != nullptr) *result = FromHkey(out);
    return status;
}

Status RegistryWin32::RegCreateKeyExA(Key key, const char* subKey, std::uint32_t reserved,
                                      const char* keyClass, std::uint32_t options,
                                      std::uint32_t samDesired, const void* securityAttributes,
                                      Key* result, std::uint32_t* disposition) {
    HKEY out = nullptr;
    DwordArg disp(disposition);
    const LONG status = ::RegCreateKeyExA(
        ToHkey(key), subKey, reserved, const_cast<char*>(keyClass), options, Access(samDesired),
        static_cast<SECURITY_ATTRIBUTES*>(const_cast<void*>(securityAttributes)),
        result != nullptr ? &out : nullptr, disp.get());
    if (result != nullptr) *result = FromHkey(out);
    return status;
}

Status RegistryWin32::RegQueryValueExA(Key key, const char* valueName, std::uint32_t* reserved,
                                       std::uint32_t* type, std::uint8_t* data,
                                       std::uint32_t* dataSize) {
    DwordArg res(reserved), t(type), size(dataSize);
    return ::RegQueryValueExA(ToHkey(key), valueName, res.get(), t.get(), data, size.get());
}

Status RegistryWin32::RegSetValueExA(Key key, const char* valueName, std::uint32_t reserved,
                                     std::uint32_t type, const std::uint8_t* data,
                                     std::uint32_t dataSize) {
    return ::RegSetValueExA(ToHkey(key), valueName, reserved, type, data, dataSize);
}

Status RegistryWin32::RegDeleteValueA(Key key, const char* valueName) {
    return ::RegDeleteValueA(ToHkey(key), valueName);
}

Status RegistryWin32::RegEnumValueA(Key key, std::uint32_t index, char* valueName,
                                    std::uint32_t* valueNameSize, std::uint32_t* reserved,
                                    std::uint32_t* type, std::uint8_t* data,
                                    std::uint32_t* dataSize) {
    DwordArg nameSize(valueNameSize), res(reserved), t(type), size(dataSize);
    return ::RegEnumValueA(ToHkey(key), index, valueName, nameSize.get(), res.get(), t.get(), data,
                           size.get());
}

Status RegistryWin32::RegCloseKey(Key key) {
    return ::RegCloseKey(ToHkey(key));
}

Status RegistryWin32::RegOpenKeyExW(Key key, const char16_t* subKey, std::uint32_t options,
                                    std::uint32_t samDesired, Key* result) {
    HKEY out = nullptr;
    const LONG status = ::RegOpenKeyExW(ToHkey(key), W(subKey), options, Access(samDesired),
                                        result != nullptr ? &out : nullptr);
    if (result != nullptr) *result = FromHkey(out);
    return status;
}

Status RegistryWin32::RegCreateKeyExW(Key key, const char16_t* subKey, std::uint32_t reserved,
                                      const char16_t* keyClass, std::uint32_t options,
                                      std::uint32_t samDesired, const void* securityAttributes,
                                      Key* result, std::uint32_t* disposition) {
    HKEY out = nullptr;
    DwordArg disp(disposition);
    const LONG status =
        ::RegCreateKeyExW(ToHkey(key), W(subKey), reserved, const_cast<wchar_t*>(W(keyClass)),
                          options, Access(samDesired),
                          static_cast<SECURITY_ATTRIBUTES*>(const_cast<void*>(securityAttributes)),
                          result != nullptr ? &out : nullptr, disp.get());
    if (result != nullptr) *result = FromHkey(out);
    return status;
}

Status RegistryWin32::RegQueryValueExW(Key key, const char16_t* valueName, std::uint32_t* reserved,
                                       std::uint32_t* type, std::uint8_t* data,
                                       std::uint32_t* dataSize) {
    DwordArg res(reserved), t(type), size(dataSize);
    return ::RegQueryValueExW(ToHkey(key), W(valueName), res.get(), t.get(), data, size.get());
}

Status RegistryWin32::RegSetValueExW(Key key, const char16_t* valueName, std::uint32_t reserved,
                                     std::uint32_t type, const std::uint8_t* data,
                                     std::uint32_t dataSize) {
    return ::RegSetValueExW(ToHkey(key), W(valueName), reserved, type, data, dataSize);
}

Status RegistryWin32::RegDeleteValueW(Key key, const char16_t* valueName) {
    return ::RegDeleteValueW(ToHkey(key), W(valueName));
}

Status RegistryWin32::RegEnumValueW(Key key, std::uint32_t index, char16_t* valueName,
                                    std::uint32_t* valueNameSize, std::uint32_t* reserved,
                                    std::uint32_t* type, std::uint8_t* data,
                                    std::uint32_t* dataSize) {
    DwordArg nameSize(valueNameSize), res(reserved), t(type), size(dataSize);
    return ::RegEnumValueW(ToHkey(key), index, reinterpret_cast<wchar_t*>(valueName),
                           nameSize.get(), res.get(), t.get(), data, size.get());
}

Status RegistryWin32::RegDeleteKeyW(Key key, const char16_t* subKey) {
    // RegDeleteKeyW takes no access, so under WOW64 a path from a root would
    // be followed in the redirected view (RegDeleteKeyExW, which takes a view,
    // is missing from 32-bit XP). Instead the key above is opened here, in the
    // 64-bit view like every open, and the last name deleted from that handle:
    // a name under a handle of the 64-bit view stays in that view.
    if (subKey != nullptr && UnderWow64()) {
        const std::u16string path(subKey);
        const std::size_t slash = path.rfind(u'\\');
        if (slash != std::u16string::npos && slash + 1 < path.size()) {
            Status status = kSuccess;
            // Deleting asks no right of the key above, so it is opened for little.
            const UniqueKey parent =
                UniqueKey::Open(*this, key, path.substr(0, slash), kKeyEnumerateSubKeys, &status);
            if (!parent) return status;
            return ::RegDeleteKeyW(ToHkey(parent.get()), W(path.c_str() + slash + 1));
        }
    }
    return ::RegDeleteKeyW(ToHkey(key), W(subKey));
}

}  // namespace reg
