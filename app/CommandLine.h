// The command line as Dovrane.exe reads it: /export FILE, /import FILE and
// /quiet, or nothing for the window. What an export or an import does is in
// profiles/Profiles.h.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/Profiles.h"

namespace app {

// The arguments after the program's name, as CommandLineToArgvW splits them
// (so a path with spaces arrives whole only when it was quoted). Switches
// start with / or -, in any case: /export FILE, /import FILE, /quiet, and /?
// for the usage. `shown` gives a path as a message box can show it (the
// ANSI code page's text); by default, ASCII with ? for anything else.
profiles::Arguments Parse(const std::vector<std::u16string>& args,
                          const std::function<std::string(const std::u16string&)>& shown = {});

// Whether a command line as GetCommandLineW gives it holds anything after
// the program's name, which stands first, quoted or up to a space or tab.
// Splitting the line needs shell32; a plain start never loads it.
bool HasArguments(std::u16string_view commandLine);

}  // namespace app
