// Where the program's own files are: the folder of the running executable,
// and the help file beside it. Exact paths (UTF-16): a folder named in any
// script is the folder it is, never its ANSI spelling, which would name
// another folder or none.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "win32/Utf16.h"

namespace win32 {

// The folder that holds the running executable, without a trailing
// backslash; empty when it cannot be had. Never a stand-in such as the
// current folder: the banner and the help file belong beside the program or
// nowhere.
inline std::u16string ProgramFolder() {
    // XP cuts a path that does not fit without saying so (no error, no
    // terminator): a cut path would name a folder above ours. Room for the
    // longest path Windows has, and a result that fills it all is no path.
    std::vector<wchar_t> path(32768);
    const DWORD size = static_cast<DWORD>(path.size());
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), size);
    if (n == 0 || n >= size) return std::u16string();
    const std::u16string file = FromWide(path.data(), n);
    const std::size_t slash = file.find_last_of(u"\\/");
    return slash == std::u16string::npos ? std::u16string() : file.substr(0, slash);
}

// The help file, which lives beside the executable; empty with the folder.
inline std::u16string HelpFilePath() {
    const std::u16string folder = ProgramFolder();
    return folder.empty() ? folder : folder + u"\\DOVRANE.HLP";
}

// True when the ANSI code page holds every character of `text` as itself.
inline bool FitsAnsiCodePage(const std::u16string& text) {
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Wide(text), -1, nullptr, 0,
                                      nullptr, &lossy);
    return n > 0 && !lossy;
}

// WinHelpW on the help file beside the program. The help viewer is an ANSI
// program, and WinHelpW hands it the path through the ANSI code page (on
// Windows XP as under Wine), so a folder named outside that code page would
// reach it as "?" and another path. Such a path goes as its short (8.3)
// form, which names the same file in plain characters; where there is none,
// no help is shown rather than another file. False when nothing was asked.
inline bool OpenHelp(HWND owner, UINT command, ULONG_PTR data) {
    std::u16string path = HelpFilePath();
    if (path.empty()) return false;
    if (!FitsAnsiCodePage(path)) {
        std::vector<wchar_t> shortPath(32768);
        const DWORD n =
            GetShortPathNameW(Wide(path), shortPath.data(), static_cast<DWORD>(shortPath.size()));
        if (n == 0 || n >= shortPath.size()) return false;
        path = FromWide(shortPath.data(), n);
        if (!FitsAnsiCodePage(path)) return false;
    }
    return WinHelpW(owner, Wide(path), command, data) != FALSE;
}

}  // namespace win32
