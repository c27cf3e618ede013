// The main window's portable half: its design, every control a row of data
// in tab order, and the help topic F1 shows for each. The window itself is
// frmKestrowWin32.
#pragma once
#include <array>

#include "ui/ControlIds.h"
#include "ui/Layout.h"
#include "ui/resource.h"

namespace ui {

inline constexpr int kWindowHelpTopic = 1;
// The window's client area, in twips.
inline constexpr int kClientWidthTwips = 6720;
inline constexpr int kClientHeightTwips = 4470;
inline constexpr const char* kTabCaptions[] = {"Tweaks", "Run List"};

inline constexpr FontSpec kFormFont = {"MS Sans Serif", 8, false, false};
inline constexpr FontSpec kLinkFont = {"MS Sans Serif", 8.25, false, true};

// On a tab, a rectangle is relative to the tab control, which stands in the
// client area's corner.
// clang-format off
inline constexpr std::array<LayoutRow, 17> kKestrowControls = {{
    {"SSTab1", kSSTab1, ControlKind::TabControl, Page::Window, {0, 0, 6645, 3015}, "", 1, kFormFont, Align::Left},
    {"lstRunMRU", kLstRunMRU, ControlKind::CheckedList, Page::RunList, {120, 360, 6375, 2085}, "", 8, kFormFont, Align::Left},
    {"cbNumLock", kCbNumLock, ControlKind::CheckBox, Page::Tweaks, {120, 360, 3495, 255}, "Enable NumLock @ Startup", 2, kFormFont, Align::Left},
    {"cbEncryptOnContextMenu", kCbEncryptOnContextMenu, ControlKind::CheckBox, Page::Tweaks, {120, 600, 3495, 255}, "Add Encrypt Item to Context Menu", 3, kFormFont, Align::Left},
    {"cbDesktopWizard", kCbDesktopWizard, ControlKind::CheckBox, Page::Tweaks, {120, 840, 3495, 255}, "Enable Desktop Cleanup Wizard", 4, kFormFont, Align::Left},
    {"cbClearPageFileAtShutdown", kCbClearPageFileAtShutdown, ControlKind::CheckBox, Page::Tweaks, {120, 1080, 3495, 255}, "Enable Clear Page File @ Shutdown", 5, kFormFont, Align::Left},
    {"cbAdminAcctWelcomeScreen", kCbAdminAcctWelcomeScreen, ControlKind::CheckBox, Page::Tweaks, {120, 1320, 5175, 255}, "Display Adminstrator Account on Welcome Screen", 12, kFormFont, Align::Left},
    {"cbDisplayCurrentAccountOnWelcomeScreen", kCbDisplayCurrentAccountOnWelcomeScreen, ControlKind::CheckBox, Page::Tweaks, {120, 1560, 5175, 255}, "Display Current Account on Welcome Screen", 15, kFormFont, Align::Left},
    {"cbKeepRASOpen", kCbKeepRASOpen, ControlKind::CheckBox, Page::Tweaks, {120, 1800, 6135, 255}, "Keep Dial-Up Internet Connections Open During Fast User Switch", 13, kFormFont, Align::Left},
    {"cbLowSpaceChecks", kCbLowSpaceChecks, ControlKind::CheckBox, Page::Tweaks, {120, 2040, 5175, 255}, "Disable Low Space Warnings", 14, kFormFont, Align::Left},
    {"cmdMRUAll", kCmdMRUAll, ControlKind::Button, Page::RunList, {1073, 2640, 1455, 255}, "Select &All", 9, kFormFont, Align::Left},
    {"cmdMRUNone", kCmdMRUNone, ControlKind::Button, Page::RunList, {2633, 2640, 1455, 255}, "Select &None", 10, kFormFont, Align::Left},
    {"cmdMRUApply", kCmdMRUApply, ControlKind::Button, Page::RunList, {4193, 2640, 1455, 255}, "A&pply", 11, kFormFont, Align::Left},
    {"cmdTwksSelectAll", kCmdTwksSelectAll, ControlKind::Button, Page::Tweaks, {1853, 2640, 1455, 255}, "Select &All", 6, kFormFont, Align::Left},
    {"cmdTwksSelectNone", kCmdTwksSelectNone, ControlKind::Button, Page::Tweaks, {3413, 2640, 1455, 255}, "Select &None", 7, kFormFont, Align::Left},
    {"Picture1", kPicture1, ControlKind::Picture, Page::Window, {0, 3000, 6615, 1095}, "", 17, kFormFont, Align::Left},
    {"Label1", kLabel1, ControlKind::Link, Page::Window, {120, 4200, 1095, 255}, "Dovrane", 0, kLinkFont, Align::Left},
}};
// clang-format on

// The row of a control id, or nullptr.
constexpr const LayoutRow* FindControl(int id) {
    return FindRow(kKestrowControls, id);
}
// The File and Edit menus' items and the help topic F1 shows while one of
// them is highlighted; Exit and the Help menu's items show the window's.
struct MenuHelp {
    int id;
    int topic;
};
inline constexpr MenuHelp kMenuHelp[] = {
    {IDM_FILE_IMPORT, 22},  {IDM_FILE_EXPORT, 23},      {IDM_EDIT_UNDO, 18},
    {IDM_EDIT_RESTORE, 19}, {IDM_EDIT_OPEN_FOLDER, 20},
};
int MenuHelpTopicFor(int id);

// The help topic for F1 on a control id (the window's own topic for the
// window itself and for controls without one of their own).
int HelpTopicFor(int id);

}  // namespace ui
