#include <windows.h>

#include <commctrl.h>

#include "app/modGetVersion.h"
#include "app/modMain.h"
#include "app/version.h"
#include "ui/frmKestrowWin32.h"

namespace modMain {

bool Main() {
    if (modGetVersion::GetVersionName() != "Windows XP") {
        MessageBoxA(nullptr, "Windows XP is required to run this software.", DOVRANE_TITLE,
                    MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    InitCommonControls();
    return ui::frmKestrow::Instance().Show();
}

bool PreTranslate(MSG& msg) {
    return ui::frmKestrow::Instance().PreTranslate(msg);
}

}  // namespace modMain
