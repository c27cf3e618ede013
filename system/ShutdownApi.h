// The system calls of a restart, as the restart logic sees them: the same
// calls, arguments and records as kernel32, advapi32 and user32 take, in
// portable types. The Win32 side makes the real calls; tests record them.
#pragma once
#include <cstdint>

namespace sys {

// A kernel object handle (HANDLE), carried as an integer.
using Handle = std::uintptr_t;

// LUID: the low half, then the signed high half.
struct Luid {
    std::uint32_t LowPart = 0;
    std::int32_t HighPart = 0;
};

struct LuidAndAttributes {
    ::sys::Luid Luid;
    std::uint32_t Attributes = 0;
};

// TOKEN_PRIVILEGES with room for exactly one privilege: 16 bytes, as
// AdjustTokenPrivileges reads and writes it.
struct TokenPrivileges {
    std::uint32_t PrivilegeCount = 0;
    LuidAndAttributes Privileges[1];
};
static_assert(sizeof(TokenPrivileges) == 16, "one-entry TOKEN_PRIVILEGES is 16 bytes");

enum : std::uint32_t {
    kTokenAdjustPrivileges = 0x20,  // TOKEN_ADJUST_PRIVILEGES
    kTokenQuery = 0x08,             // TOKEN_QUERY
    kSePrivilegeEnabled = 0x2,      // SE_PRIVILEGE_ENABLED
    kEwxReboot = 0x02,              // EWX_REBOOT
    kEwxForce = 0x04,               // EWX_FORCE
    kEwxForceIfHung = 0x10,         // EWX_FORCEIFHUNG
};

class ShutdownApi {
  public:
    virtual ~ShutdownApi() = default;
    virtual std::uint32_t GetVersion() = 0;
    virtual Handle GetCurrentProcess() = 0;
    virtual bool OpenProcessToken(Handle process, std::uint32_t desiredAccess, Handle* token) = 0;
    // systemName and name are C strings; systemName "" is the local machine.
    virtual bool LookupPrivilegeValueA(const char* systemName, const char* name, Luid* luid) = 0;
    virtual bool AdjustTokenPrivileges(Handle token, bool disableAllPrivileges,
                                       const TokenPrivileges* newState, std::uint32_t bufferLength,
                                       TokenPrivileges* previousState,
                                       std::uint32_t* returnLength) = 0;
    virtual bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) = 0;
    virtual bool CloseHandle(Handle handle) = 0;
};

}  // namespace sys
