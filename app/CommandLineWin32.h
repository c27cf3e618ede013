// The command line on the real Windows: the process's own arguments, the
// registry, the files, the backup folder under Application Data, and message
// boxes with no window to own them.
#pragma once
#include "app/CommandLine.h"

namespace cmdline {

// GetCommandLineW as CommandLineToArgvW splits it, the program's name left out.
Arguments ProcessArguments();

// Runs an export, an import or the usage message; returns the exit status.
int RunWin32(const Arguments& arguments);

}  // namespace cmdline
