#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "system/modShutdown.h"

namespace {

// Records every call with its arguments, in order, as one line each.
class RecordingShutdown : public sys::ShutdownApi {
  public:
    std::uint32_t version = 0x0A280105;  // 5.1 build 2600: XP
    bool tokenOpens = true;
    bool lookupWorks = true;
    bool adjustWorks = true;
    bool exitWorks = true;
    std::vector<std::string> calls;
    sys::TokenPrivileges request;  // what AdjustTokenPrivileges was given

    static constexpr sys::Handle kProcess = static_cast<sys::Handle>(-1);
    static constexpr sys::Handle kToken = 0x7c;

    std::uint32_t GetVersion() override {
        calls.push_back("GetVersion");
        return version;
    }
    sys::Handle GetCurrentProcess() override {
        calls.push_back("GetCurrentProcess");
        return kProcess;
    }
    bool OpenProcessToken(sys::Handle process, std::uint32_t access, sys::Handle* token) override {
        calls.push_back(Format("OpenProcessToken(%s, 0x%x)", Name(process), access));
        *token = tokenOpens ? kToken : 0;
        return tokenOpens;
    }
    bool LookupPrivilegeValueA(const char* system, const char* name, sys::Luid* luid) override {
        calls.push_back(Format("LookupPrivilegeValueA(\"%s\", \"%s\")", system, name));
        if (lookupWorks) *luid = sys::Luid{19, -2};
        return lookupWorks;
    }
    bool AdjustTokenPrivileges(sys::Handle token, bool disableAll,
                               const sys::TokenPrivileges* newState, std::uint32_t bufferLength,
                               sys::TokenPrivileges* previous,
                               std::uint32_t* returnLength) override {
        calls.push_back(Format("AdjustTokenPrivileges(%s, %d, %u, prev %s, len %s)", Name(token),
                               disableAll, bufferLength,
                               previous && previous != newState ? "yes" : "no",
                               returnLength ? "yes" : "no"));
        request = *newState;
        return adjustWorks;
    }
    bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override {
        calls.push_back(Format("ExitWindowsEx(0x%x, 0x%x)", flags, reserved));
        return exitWorks;
    }
    bool CloseHandle(sys::Handle handle) override {
        calls.push_back(Format("CloseHandle(%s)", Name(handle)));
        return true;
    }

  private:
    static const char* Name(sys::Handle h) {
        return h == kProcess ? "process" : h == kToken ? "token" : "other";
    }
    template <typename... Args>
    static std::string Format(const char* format, Args... args) {
        char buffer[200];
        std::snprintf(buffer, sizeof buffer, format, args...);
        return buffer;
    }
};

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
