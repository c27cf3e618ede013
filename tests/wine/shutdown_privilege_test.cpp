// The restart's token work on the real advapi32 under Wine: the shutdown
// privilege ends up enabled in our own token and the token handle is
// closed. The reboot itself is only recorded, never asked for.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "support/TestDoubles.h"
#include "system/ShutdownWin32.h"
#include "system/modShutdown.h"
#include "win32/Handles.h"

namespace {

bool ShutdownPrivilegeEnabled() {
    win32::Handle owner;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, owner.put())) return false;
    const HANDLE token = owner.get();
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
    return enabled;
}

// Switches the privilege off again, so that a test can see it switched on.
void DisableShutdownPrivilege() {
    win32::Handle token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.put()));
    TOKEN_PRIVILEGES off = {};
    off.PrivilegeCount = 1;
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &off.Privileges[0].Luid);
    AdjustTokenPrivileges(token.get(), FALSE, &off, 0, nullptr, nullptr);
}

TEST(ShutdownPrivilege, RestartEnablesItInOurTokenClosesTheTokenAndAsksGently) {
    DisableShutdownPrivilege();
    ASSERT_FALSE(ShutdownPrivilegeEnabled());
    sys::ShutdownWin32 real;
    testing_doubles::RecordingShutdown api(real);  // everything real but the reboot
    ASSERT_TRUE(modShutdown::IsWindowsNT(api));
    modShutdown::RestartWindows(api);
    EXPECT_TRUE(ShutdownPrivilegeEnabled());
    ASSERT_EQ(api.opened.size(), 1u);
    EXPECT_EQ(api.closed, api.opened);
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(reinterpret_cast<HANDLE>(api.opened[0]), &flags));
    EXPECT_EQ(api.restarts, 1);
    EXPECT_EQ(api.calls.back(), "ExitWindowsEx(0x12, 0xffffffff)");  // EWX_REBOOT | EWX_FORCEIFHUNG
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
