// The process's own command line, as the shell splits it.
#pragma once
#include "app/CommandLine.h"

namespace app {

// GetCommandLineW as CommandLineToArgvW splits it, the program's name left out.
profiles::Arguments ProcessArguments();

}  // namespace app
