// Profiles on the real Windows: the registry, the files, the backup folder
// under Application Data, and message boxes with no window to own them.
#pragma once
#include "profiles/Profiles.h"

namespace profiles {

// Runs an export, an import or the usage message; returns the exit status.
int RunWin32(const Arguments& arguments);

}  // namespace profiles
