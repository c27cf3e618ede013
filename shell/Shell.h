// The shell's "Open" verb, as the windows' logic sees it. The Win32 side
// (ShellWin32) calls ShellExecuteA with the owner window; tests record.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "shell/Prompter.h"

namespace shell {

class Shell {
  public:
    virtual ~Shell() = default;
    // ShellExecuteA(owner, operation, file, null, null, SW_SHOWNORMAL); the
    // shell's own result: above 32 on success, 0 to 32 for its failures.
    virtual std::intptr_t ShellExecuteA(const std::string& operation, const std::string& file) = 0;
};

// The message both web links show when the shell answers exactly 0.
inline constexpr const char kNoBrowserText[] = "No browser installed! Cannot open help file.";

// Opens `url` with the shell's "Open" verb. Only a result of exactly 0 is
// reported ("No browser installed! Cannot open help file.", OK only, no icon,
// the application title as caption): the shell's codes 1 to 32 pass
// silently, as the program has always done. Returns the shell's result.
std::intptr_t OpenLink(Shell& shell, Prompter& prompter, const std::string& url);

// The longest address Internet Explorer takes.
inline constexpr std::size_t kMaxWebAddress = 2083;

// True for an absolute http:// or https:// address that a browser can be
// handed safely: at most kMaxWebAddress characters, all of them characters an
// address may hold unescaped (printable ASCII but the space and
// " < > \ ^ ` { | }), a host after the scheme, an optional numeric port, and
// no user name or password. Addresses that come from the network go through
// this before they are fetched or the shell sees them; a local path or
// another scheme never does.
bool IsWebAddress(const std::string& address);

}  // namespace shell
