#include "app/CommandLineWin32.h"

#include <windows.h>

#include <shellapi.h>

#include "win32/BackupFolder.h"
#include "win32/Handles.h"

namespace app {

using profiles::Arguments;

Arguments ProcessArguments() {
    const LPCWSTR line = GetCommandLineW();
    if (!HasArguments(reinterpret_cast<const char16_t*>(line))) return Parse({});
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(line, &count);
    const win32::Local block(argv);  // the array is one LocalAlloc block
    std::vector<std::u16string> args;
    for (int i = 1; argv && i < count; ++i)
        args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    return Parse(args, win32::Shown);
}

}  // namespace app
