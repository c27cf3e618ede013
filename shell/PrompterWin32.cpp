#include "shell/PrompterWin32.h"

#include "win32/ProgramFolder.h"
#include "win32/Window.h"

namespace shell {

namespace {
// The Help button of a message box lands here; the box stays open while the
// help viewer shows the topic. The item is the Help button (or whatever had
// the focus for F1), a child of the box: the viewer is asked for on behalf of
// the box's owner, which outlives the box and closes the viewer at the end.
// Called by Windows: nothing may unwind out of it.
void CALLBACK OnMessageBoxHelp(LPHELPINFO info) {
    win32::Guard("message box help", [info] {
        HWND item = static_cast<HWND>(info->hItemHandle);
        HWND box = item ? GetAncestor(item, GA_ROOT) : nullptr;
        HWND owner = box ? GetWindow(box, GW_OWNER) : nullptr;
        win32::OpenHelp(owner ? owner : box, HELP_CONTEXT,
                        static_cast<ULONG_PTR>(info->dwContextId));
    });
}
}  // namespace

int PrompterWin32::MsgBox(const std::string& text, unsigned style, const std::string& caption,
                          unsigned helpContext) {
    MSGBOXPARAMSA params = {};
    params.cbSize = sizeof params;
    params.hwndOwner = owner_;
    params.hInstance = GetModuleHandleA(nullptr);
    params.lpszText = text.c_str();
    params.lpszCaption = caption.c_str();
    params.dwStyle = style;
    params.dwContextHelpId = helpContext;
    params.lpfnMsgBoxCallback = (style & MB_HELP) ? OnMessageBoxHelp : nullptr;
    params.dwLanguageId = LANG_NEUTRAL;
    return MessageBoxIndirectA(&params);
}

}  // namespace shell
