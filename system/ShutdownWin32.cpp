#include "system/ShutdownWin32.h"

#include <windows.h>

#include "win32/Handles.h"

namespace sys {

namespace {

HANDLE ToWin32(Handle h) {
    return reinterpret_cast<HANDLE>(h);
}

TOKEN_PRIVILEGES ToWin32(const TokenPrivileges& p) {
    TOKEN_PRIVILEGES out = {};
    out.PrivilegeCount = p.PrivilegeCount;
    out.Privileges[0].Luid.LowPart = p.Privileges[0].Luid.LowPart;
    out.Privileges[0].Luid.HighPart = p.Privileges[0].Luid.HighPart;
    out.Privileges[0].Attributes = p.Privileges[0].Attributes;
    return out;
}

TokenPrivileges FromWin32(const TOKEN_PRIVILEGES& p) {
    TokenPrivileges out;
    out.PrivilegeCount = p.PrivilegeCount;
    out.Privileges[0].Luid.LowPart = p.Privileges[0].Luid.LowPart;
    out.Privileges[0].Luid.HighPart = p.Privileges[0].Luid.HighPart;
    out.Privileges[0].Attributes = p.Privileges[0].Attributes;
    return out;
}

static_assert(sizeof(TOKEN_PRIVILEGES) == sizeof(TokenPrivileges), "same record size");

}  // namespace

std::uint32_t ShutdownWin32::GetVersion() {
    return ::GetVersion();
}

Handle ShutdownWin32::GetCurrentProcess() {
    return reinterpret_cast<Handle>(::GetCurrentProcess());
}

bool ShutdownWin32::OpenProcessToken(Handle process, std::uint32_t desiredAccess, Handle* token) {
    HANDLE h = nullptr;
    const BOOL ok = ::OpenProcessToken(ToWin32(process), desiredAccess, &h);
    *token = reinterpret_cast<Handle>(h);
    return ok != FALSE;
}

bool ShutdownWin32::LookupPrivilegeValueA(const char* systemName, const char* name, Luid* luid) {
    LUID out = {};
    const BOOL ok = ::LookupPrivilegeValueA(systemName, name, &out);
    luid->LowPart = out.LowPart;
    luid->HighPart = out.HighPart;
    return ok != FALSE;
}

bool ShutdownWin32::AdjustTokenPrivileges(Handle token, bool disableAllPrivileges,
                                          const TokenPrivileges* newState,
                                          std::uint32_t bufferLength,
                                          TokenPrivileges* previousState,
                                          std::uint32_t* returnLength) {
    TOKEN_PRIVILEGES request = ToWin32(*newState);
    TOKEN_PRIVILEGES previous = {};
    DWORD length = 0;
    // The previous state lands in a record of our own: never claim more room
    // than it has.
    const DWORD room = bufferLength < sizeof previous ? bufferLength : sizeof previous;
    const BOOL ok = ::AdjustTokenPrivileges(
        ToWin32(token), disableAllPrivileges ? TRUE : FALSE, &request, previousState ? room : 0,
        previousState ? &previous : nullptr, returnLength ? &length : nullptr);
    if (previousState) *previousState = FromWin32(previous);
    if (returnLength) *returnLength = length;
    return ok != FALSE;
}

bool ShutdownWin32::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
    return ::ExitWindowsEx(flags, reserved) != FALSE;
}

bool ShutdownWin32::CloseHandle(Handle handle) {
    return win32::Handle(ToWin32(handle)).reset();
}

}  // namespace sys
