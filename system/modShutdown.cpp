#include "system/modShutdown.h"

namespace modShutdown {

namespace {

constexpr std::uint32_t kNonNtPlatform = 0x80000000u;

// Owns an opened token handle; closes it through the seam when it goes.
class TokenHandle {
  public:
    explicit TokenHandle(sys::ShutdownApi& api) : api_(api) {}
    TokenHandle(const TokenHandle&) = delete;
    TokenHandle& operator=(const TokenHandle&) = delete;
    ~TokenHandle() {
        if (open_) api_.CloseHandle(handle_);
    }

    bool Open(sys::Handle process, std::uint32_t access) {
        open_ = api_.OpenProcessToken(process, access, &handle_);
        return open_;
    }
    sys::Handle get() const { return handle_; }

  private:
    sys::ShutdownApi& api_;
    sys::Handle handle_ = 0;
    bool open_ = false;
};

}  // namespace

bool IsWindowsNT(sys::ShutdownApi& api) {
    return (api.GetVersion() & kNonNtPlatform) == 0;
}

void EnableShutdownPrivilege(sys::ShutdownApi& api) {
    TokenHandle token(api);
    // Without a token, or without the privilege's identifier, there is
    // nothing sound to adjust; the restart request still follows and
    // Windows decides.
    if (!token.Open(api.GetCurrentProcess(), sys::kTokenAdjustPrivileges | sys::kTokenQuery)) {
        return;
    }
    sys::TokenPrivileges request;
    request.PrivilegeCount = 1;
    request.Privileges[0].Attributes = sys::kSePrivilegeEnabled;
    if (!api.LookupPrivilegeValueA("", "SeShutdownPrivilege", &request.Privileges[0].Luid)) {
        return;
    }
    // The previous state is taken but never restored: the restart follows.
    sys::TokenPrivileges previous;
    std::uint32_t returnLength = 0;
    api.AdjustTokenPrivileges(token.get(), false, &request, sizeof previous, &previous,
                              &returnLength);
}

void RestartWindows(sys::ShutdownApi& api) {
    if (IsWindowsNT(api)) EnableShutdownPrivilege(api);
    // A forced reboot would throw away unsaved work in every other program;
    // only programs that do not answer are closed by force.
    api.ExitWindowsEx(sys::kEwxReboot | sys::kEwxForceIfHung, 0xFFFFFFFFu);
}

}  // namespace modShutdown
