// Reads the plain-text help source (its syntax is in README.md beside this
// file) into a HelpProject.
#pragma once

#include <string_view>

#include "tools/hlpc/HelpProject.h"

namespace hlpc {

// Throws CompileError naming the line of the first fault. Only the syntax and
// the characters are checked here; CheckProject checks names and jumps.
HelpProject ReadSource(std::string_view source);

}  // namespace hlpc
