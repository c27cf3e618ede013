#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/TestDoubles.h"
#include "system/modShutdown.h"

namespace {

using testing_doubles::RecordingShutdown;

const std::vector<std::string> kNtRestart = {
    "GetVersion",
    "GetCurrentProcess",
    "OpenProcessToken(process, 0x28)",
    "LookupPrivilegeValueA(\"\", \"SeShutdownPrivilege\")",
    "AdjustTokenPrivileges(token, 0, 16, prev yes, len yes)",
    "CloseHandle(token)",
    "ExitWindowsEx(0x12, 0xffffffff)",
};

TEST(RestartWindows, OnNtEnablesThePrivilegeClosesTheTokenThenAsksForAGentleReboot) {
    RecordingShutdown api;
    modShutdown::RestartWindows(api);
    EXPECT_EQ(api.calls, kNtRestart);
    EXPECT_EQ(api.request.PrivilegeCount, 1u);
    EXPECT_EQ(api.request.Privileges[0].Luid.LowPart, 19u);
    EXPECT_EQ(api.request.Privileges[0].Luid.HighPart, -2);
    EXPECT_EQ(api.request.Privileges[0].Attributes, 2u);
}

TEST(RestartWindows, WithBit31SetTheTokenIsNeverTouched) {
    for (std::uint32_t version : {0x80000000u, 0xC0000A04u, 0xFFFFFFFFu}) {
        RecordingShutdown api;
        api.version = version;
        modShutdown::RestartWindows(api);
        EXPECT_EQ(api.calls,
                  (std::vector<std::string>{"GetVersion", "ExitWindowsEx(0x12, 0xffffffff)"}))
            << std::hex << version;
    }
}

TEST(RestartWindows, ATokenThatWillNotOpenIsNeitherAdjustedNorClosedButTheRebootIsAsked) {
    RecordingShutdown api;
    api.tokenOpens = false;
    modShutdown::RestartWindows(api);
    EXPECT_EQ(api.calls, (std::vector<std::string>{"GetVersion", "GetCurrentProcess",
                                                   "OpenProcessToken(process, 0x28)",
                                                   "ExitWindowsEx(0x12, 0xffffffff)"}));
}

TEST(RestartWindows, AnUnknownPrivilegeIsNotAdjustedAndTheTokenIsStillClosed) {
    RecordingShutdown api;
    api.lookupWorks = false;
    modShutdown::RestartWindows(api);
    EXPECT_EQ(api.calls, (std::vector<std::string>{
                             "GetVersion", "GetCurrentProcess", "OpenProcessToken(process, 0x28)",
                             "LookupPrivilegeValueA(\"\", \"SeShutdownPrivilege\")",
                             "CloseHandle(token)", "ExitWindowsEx(0x12, 0xffffffff)"}));
}

TEST(RestartWindows, ARefusedRestartReturnsAndASecondCallRepeatsEverything) {
    RecordingShutdown api;
    api.adjustWorks = false;  // an account without the privilege
    api.exitWorks = false;
    modShutdown::RestartWindows(api);
    modShutdown::RestartWindows(api);
    std::vector<std::string> twice = kNtRestart;
    twice.insert(twice.end(), kNtRestart.begin(), kNtRestart.end());
    EXPECT_EQ(api.calls, twice);
}

}  // namespace
