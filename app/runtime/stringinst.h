// Included ahead of every source of Dovrane.exe (see the top-level
// CMakeLists.txt): std::string's members are compiled into the program where
// it uses them, instead of being called in the library.
//
// The library declares std::string an explicit instantiation made in its own
// archive, so every use calls out to that one object file, and the linker
// then takes all of it: each member of std::string, used or not, with its
// unwinding tables (the PE linker cannot drop functions that .eh_frame
// refers to). The library's own -1 setting of this macro (made for its
// debugging mode) turns off those declarations for std::basic_string only;
// the program then instantiates what it uses, and link-time optimisation
// keeps only that.
#pragma once
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1
