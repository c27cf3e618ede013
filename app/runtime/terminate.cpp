// What std::terminate does in Dovrane.exe.
//
// The runtime's default handler prints the type of the uncaught exception to
// the standard error stream, which a GUI program does not have, and then
// aborts. Printing the type means demangling it, and the demangler with the
// printf it uses is a quarter of the executable. Every exception is caught at
// the window procedures and in WinMain; should one escape anyway, aborting
// at once is all the default would have shown the user too.
#include <cstdlib>

namespace __gnu_cxx {

// Replaces the runtime's own definition: the linker takes this one and never
// pulls in the library's, nor the demangler behind it.
[[noreturn]] void __verbose_terminate_handler() {
    std::abort();
}

}  // namespace __gnu_cxx
