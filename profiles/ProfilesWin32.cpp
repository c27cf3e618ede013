#include "profiles/ProfilesWin32.h"

#include <windows.h>

#include <exception>
#include <memory>

#include "common/version.h"
#include "registry/RegistryWin32.h"
#include "shell/PrompterWin32.h"
#include "win32/BackupFolder.h"
#include "win32/Handles.h"

namespace profiles {

using win32::Wide;

backup::Error ProfileFilesWin32::ReadAll(const std::u16string& path,
                                         std::vector<std::uint8_t>& bytes) {
    return files_.ReadAll(path, bytes);
}

// Written under a new name beside the file, flushed, then moved over it:
// within one folder the move is a rename, so the file is either the old
// one or the whole new one.
backup::Error ProfileFilesWin32::WriteWhole(const std::u16string& path,
                                            const std::vector<std::uint8_t>& bytes) {
    for (int n = 1; n < 100; ++n) {
        const std::u16string temporary =
            path + u".~" + std::u16string(1, char16_t(u'0' + n / 10)) + char16_t(u'0' + n % 10);
        backup::Error e = files_.CreateNew(temporary, bytes);  // no file left on failure
        if (e == backup::kFileExists) continue;
        if (e != backup::kOk) return e;
        if (MoveFileExW(Wide(temporary), Wide(path),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return backup::kOk;
        e = GetLastError();
        DeleteFileW(Wide(temporary));
        return e;
    }
    return backup::kFileExists;
}

bool ProfileFilesWin32::IsFolder(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int RunWin32(const Arguments& arguments) {
    shell::PrompterWin32 prompter;  // no window: the boxes stand alone
    try {
        reg::RegistryWin32 registry;
        ProfileFilesWin32 files;
        backup::BackupFilesWin32 backupFiles;
        Environment environment{registry, files,       backupFiles, win32::BackupFolder(),
                                prompter, win32::Shown};
        return Run(environment, arguments);
    } catch (const std::exception& e) {
        if (!arguments.quiet)
            prompter.MsgBox(std::string("Dovrane stopped: ") + e.what(),
                            shell::kMbOk | shell::kMbIconError, DOVRANE_TITLE);
        return kExitFailed;
    }
}

}  // namespace profiles
