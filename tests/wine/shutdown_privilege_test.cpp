// The restart's token work on the real advapi32 under Wine: the shutdown
// privilege ends up enabled in our own token and the token handle is
// closed. The reboot itself is only recorded, never asked for.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "system/ShutdownWin32.h"
#include "system/modShutdown.h"

namespace {

// The real calls, but for the reboot, which is only recorded.
class RealButNoReboot : public sys::ShutdownApi {
  public:
    std::vector<std::uint32_t> exits;
    std::vector<sys::Handle> tokens;
    std::vector<sys::Handle> closed;

    std::uint32_t GetVersion() override { return real_.GetVersion(); }
    sys::Handle GetCurrentProcess() override { return real_.GetCurrentProcess(); }
    bool OpenProcessToken(sys::Handle process, std::uint32_t access, sys::Handle* token) override {
        const bool ok = real_.OpenProcessToken(process, access, token);
        if (ok) tokens.push_back(*token);
        return ok;
    }
    bool LookupPrivilegeValueA(const char* system, const char* name, sys::Luid* luid) override {
        return real_.LookupPrivilegeValueA(system, name, luid);
    }
    bool AdjustTokenPrivileges(sys::Handle token, bool disableAll,
                               const sys::TokenPrivileges* newState, std::uint32_t bufferLength,
                               sys::TokenPrivileges* previous,
                               std::uint32_t* returnLength) override {
        return real_.AdjustTokenPrivileges(token, disableAll, newState, bufferLength, previous,
                                           returnLength);
    }
    bool CloseHandle(sys::Handle handle) override {
        closed.push_back(handle);
        return real_.CloseHandle(handle);
    }
    bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override {
        exits.push_back(flags);
        exits.push_back(reserved);
        return false;
    }

  private:
    sys::ShutdownWin32 real_;
};

bool ShutdownPrivilegeEnabled() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    LUID shutdown = {};
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown);
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    bool enabled = false;
    if (GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size)) {
        const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
        for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
            const LUID_AND_ATTRIBUTES& p = privileges->Privileges[i];
            if (p.Luid.LowPart == shutdown.LowPart && p.Luid.HighPart == shutdown.HighPart)
                enabled = (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
        }
    }
    CloseHandle(token);
    return enabled;
}

// Switches the privilege off again, so that a test can see it switched on.
void DisableShutdownPrivilege() {
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
    TOKEN_PRIVILEGES off = {};
    off.PrivilegeCount = 1;
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &off.Privileges[0].Luid);
    AdjustTokenPrivileges(token, FALSE, &off, 0, nullptr, nullptr);
    CloseHandle(token);
}

TEST(ShutdownPrivilege, RestartEnablesItInOurTokenClosesTheTokenAndAsksGently) {
    DisableShutdownPrivilege();
    ASSERT_FALSE(ShutdownPrivilegeEnabled());
    RealButNoReboot api;
    ASSERT_TRUE(modShutdown::IsWindowsNT(api));
    modShutdown::RestartWindows(api);
    EXPECT_TRUE(ShutdownPrivilegeEnabled());
    ASSERT_EQ(api.tokens.size(), 1u);
    EXPECT_EQ(api.closed, api.tokens);
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(reinterpret_cast<HANDLE>(api.tokens[0]), &flags));
    EXPECT_EQ(api.exits, (std::vector<std::uint32_t>{EWX_REBOOT | EWX_FORCEIFHUNG, 0xFFFFFFFFu}));
}

TEST(ShutdownPrivilege, TheLocalMachineIsNamedByTheEmptyText) {
    sys::ShutdownWin32 api;
    sys::Luid fromEmpty;
    ASSERT_TRUE(api.LookupPrivilegeValueA("", "SeShutdownPrivilege", &fromEmpty));
    LUID fromNull = {};
    ASSERT_TRUE(LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &fromNull));
    EXPECT_EQ(fromEmpty.LowPart, fromNull.LowPart);
    EXPECT_EQ(fromEmpty.HighPart, fromNull.HighPart);
}

}  // namespace
