#include <windows.h>

#include <commctrl.h>

#include "app/CommandLineWin32.h"
#include "app/modGetVersion.h"
#include "app/modMain.h"
#include "common/version.h"
#include "profiles/ProfilesWin32.h"
#include "ui/frmKestrowWin32.h"

namespace modMain {

bool Main(int& status) {
    // Read before the gate so that /quiet silences it too, and acted upon
    // after it: the settings are Windows XP's, and a profile applied to
    // another Windows would write values that mean something else there.
    const profiles::Arguments arguments = app::ProcessArguments();
    const bool window = arguments.command == profiles::Command::kWindow;
    // The usage changes nothing, so it is shown on any Windows.
    if (arguments.command == profiles::Command::kHelp) {
        status = profiles::RunWin32(arguments);
        return false;
    }
    if (modGetVersion::GetVersionName() != "Windows XP") {
        if (!arguments.quiet)
            MessageBoxA(nullptr, "Windows XP is required to run this software.", DOVRANE_TITLE,
                        MB_OK | MB_ICONEXCLAMATION);
        status = window ? 0 : profiles::kExitNotXp;
        return false;
    }
    if (!window) {
        status = profiles::RunWin32(arguments);
        return false;
    }
    InitCommonControls();
    return ui::frmKestrow::Instance().Show();
}

bool PreTranslate(MSG& msg) {
    return ui::frmKestrow::Instance().PreTranslate(msg);
}

}  // namespace modMain
