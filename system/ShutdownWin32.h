// The restart's system calls made for real (Win32 only).
#pragma once
#include "system/ShutdownApi.h"

namespace sys {

class ShutdownWin32 final : public ShutdownApi {
  public:
    std::uint32_t GetVersion() override;
    Handle GetCurrentProcess() override;
    bool OpenProcessToken(Handle process, std::uint32_t desiredAccess, Handle* token) override;
    bool LookupPrivilegeValueA(const char* systemName, const char* name, Luid* luid) override;
    bool AdjustTokenPrivileges(Handle token, bool disableAllPrivileges,
                               const TokenPrivileges* newState, std::uint32_t bufferLength,
                               TokenPrivileges* previousState,
                               std::uint32_t* returnLength) override;
    bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override;
    bool CloseHandle(Handle handle) override;
};

}  // namespace sys
