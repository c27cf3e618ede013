// Restarting Windows at once, after the Run history has been pruned.
#pragma once
#include "system/ShutdownApi.h"

namespace modShutdown {

// Asks Windows to reboot. On the NT family the shutdown privilege is enabled
// first. Running programs may still save their work (only hung ones are
// forced closed). Nothing is reported: a refused restart simply returns and
// the program goes on running.
void RestartWindows(sys::ShutdownApi& api);

// True on the NT family: bit 31 of GetVersion() is clear there.
bool IsWindowsNT(sys::ShutdownApi& api);

// Enables SeShutdownPrivilege in this process's access token and closes the
// token again. Failures are not reported; ExitWindowsEx tells the truth.
void EnableShutdownPrivilege(sys::ShutdownApi& api);

}  // namespace modShutdown
