#include "profiles/ProfilesWin32.h"

#include <windows.h>

#include <exception>
#include <memory>

#include "backup/ClockWin32.h"
#include "common/version.h"
#include "files/FilesWin32.h"
#include "registry/RegistryWin32.h"
#include "shell/PrompterWin32.h"
#include "win32/BackupFolder.h"

namespace profiles {

int RunWin32(const Arguments& arguments) {
    shell::PrompterWin32 prompter;  // no window: the boxes stand alone
    try {
        reg::RegistryWin32 registry;
        files::FilesWin32 files;
        Environment environment{registry, files,       backup::LocalNow, win32::BackupFolder(),
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
