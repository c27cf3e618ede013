// Under Wine: a scratch key of the real registry for the conformance suites,
// made afresh for each test and removed with everything under it after.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "registry/RegistryWin32.h"
#include "win32/Handles.h"

namespace conformance {

// Removes a key and its subkeys (RegDeleteTree is newer than Windows XP).
inline void DeleteTree(HKEY root, const std::string& path) {
    std::vector<std::string> children;
    {
        win32::Key key;
        if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
        for (DWORD i = 0;; ++i) {
            char name[256];
            DWORD size = sizeof name;
            if (::RegEnumKeyExA(key.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            children.push_back(name);
        }
    }
    for (const auto& child : children) DeleteTree(root, path + "\\" + child);
    ::RegDeleteKeyA(root, path.c_str());
}

struct WineBackend {
    static constexpr const char* kScratch = "Software\\DovraneTest";

    WineBackend() {
        DeleteTree(HKEY_CURRENT_USER, kScratch);  // what a crashed run left
        win32::Key key;
        ::RegCreateKeyExA(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          key.put(), nullptr);
    }
    ~WineBackend() { DeleteTree(HKEY_CURRENT_USER, kScratch); }
    WineBackend(const WineBackend&) = delete;
    WineBackend& operator=(const WineBackend&) = delete;

    reg::RegistryApi& Api() { return api; }
    reg::Key Root() { return reg::kCurrentUser; }
    std::string Scratch() { return kScratch; }

    // A key whose security lets everyone read and delete it, and nothing
    // else: Windows then refuses to open it for writing. Wine, running us as
    // an administrator, grants what is asked whatever the key's security, so
    // there the tests that need such a key are skipped.
    bool MakeReadOnly(const std::string& path) {
        const std::string full = std::string(kScratch) + "\\" + path;
        SECURITY_DESCRIPTOR sd;
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        PSID everyone = nullptr;
        if (!::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) ||
            !::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0,
                                        &everyone))
            return false;
        alignas(DWORD) BYTE aclBuffer[256];
        ACL* acl = reinterpret_cast<ACL*>(aclBuffer);
        const bool ok = ::InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION) &&
                        ::AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ | DELETE, everyone) &&
                        ::SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
        SECURITY_ATTRIBUTES sa = {sizeof sa, &sd, FALSE};
        win32::Key key;
        const bool created =
            ok && ::RegCreateKeyExA(HKEY_CURRENT_USER, full.c_str(), 0, nullptr, 0, KEY_READ, &sa,
                                    key.put(), nullptr) == ERROR_SUCCESS;
        ::FreeSid(everyone);
        if (!created) return false;
        key.reset();
        // Only a registry that enforces the key's security can stand in.
        return ::RegOpenKeyExA(HKEY_CURRENT_USER, full.c_str(), 0, KEY_SET_VALUE, key.put()) !=
               ERROR_SUCCESS;
    }

    // NtSetValueKey takes a counted name; advapi32 only NUL-terminated ones.
    bool PutCounted(const std::string& path, const std::u16string& name, std::uint32_t type,
                    const std::vector<std::uint8_t>& data) {
        struct CountedName {
            USHORT length, maximumLength;
            const wchar_t* buffer;
        };
        using SetValueKey =
            LONG(WINAPI*)(HANDLE, const CountedName*, ULONG, ULONG, const void*, ULONG);
        const auto setValueKey = reinterpret_cast<SetValueKey>(reinterpret_cast<void (*)()>(
            ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtSetValueKey")));
        const std::string full = std::string(kScratch) + "\\" + path;
        HKEY key = nullptr;
        if (setValueKey == nullptr || ::RegOpenKeyExA(HKEY_CURRENT_USER, full.c_str(), 0,
                                                      KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            return false;
        const CountedName counted = {USHORT(name.size() * 2), USHORT(name.size() * 2),
                                     reinterpret_cast<const wchar_t*>(name.data())};
        const LONG status = setValueKey(key, &counted, 0, type, data.data(), ULONG(data.size()));
        ::RegCloseKey(key);
        return status == 0;
    }

    reg::RegistryWin32 api;
};

}  // namespace conformance
