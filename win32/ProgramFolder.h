// Where the program's own files are: the folder of the running executable,
// and the help file beside it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace win32 {

// The folder that holds the running executable, without a trailing
// backslash; "." when it cannot be had.
inline std::string ProgramFolder() {
    // XP cuts a path that does not fit without saying so (no error, no
    // terminator): a cut path would name a folder above ours. Room for the
    // longest path Windows has, and a result that fills it all is no path.
    std::vector<char> path(32768);
    const DWORD size = static_cast<DWORD>(path.size());
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), size);
    if (n == 0 || n >= size) return ".";
    std::string folder(path.data(), n);
    const std::size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

// The help file, which lives beside the executable.
inline std::string HelpFilePath() {
    return ProgramFolder() + "\\DOVRANE.HLP";
}

}  // namespace win32
