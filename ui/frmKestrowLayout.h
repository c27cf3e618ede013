// The main window's design: every control as a row of data, in tab order.
// Positions are in twips; the Win32 side converts them at the display's DPI.
#pragma once
#include <array>
#include <cstddef>

namespace ui {

enum class ControlKind { TabControl, CheckedList, CheckBox, Button, Picture, Link };
// Which tab a control sits on; Window for those outside the tab control.
enum class Page { Window, Tweaks, RunList };

struct ControlSpec {
    const char* name;
    ControlKind kind;
    Page page;
    int left, top, width, height;  // twips; on a tab: relative to the tab control
    const char* caption;
    int helpTopic;  // 0: none
    int id;         // Win32 control id
};

// Control ids: one range, in tab order.
enum ControlId : int {
    kSSTab1 = 100,
    kLstRunMRU,
    kCbNumLock,
    kCbEncryptOnContextMenu,
    kCbDesktopWizard,
    kCbClearPageFileAtShutdown,
    kCbAdminAcctWelcomeScreen,
    kCbDisplayCurrentAccountOnWelcomeScreen,
    kCbKeepRASOpen,
    kCbLowSpaceChecks,
    kCmdMRUAll,
    kCmdMRUNone,
    kCmdMRUApply,
    kCmdTwksSelectAll,
    kCmdTwksSelectNone,
    kPicture1,
    kLabel1,
};

inline constexpr int kWindowHelpTopic = 1;
// The window's client area, in twips.
inline constexpr int kClientWidthTwips = 6720;
inline constexpr int kClientHeightTwips = 4470;
inline constexpr const char* kTabCaptions[] = {"Tweaks", "Run List"};

// clang-format off
inline constexpr std::array<ControlSpec, 17> kKestrowControls = {{
    {"SSTab1", ControlKind::TabControl, Page::Window, 0, 0, 6645, 3015, "", 1, kSSTab1},
    {"lstRunMRU", ControlKind::CheckedList, Page::RunList, 120, 360, 6375, 2085, "", 8, kLstRunMRU},
    {"cbNumLock", ControlKind::CheckBox, Page::Tweaks, 120, 360, 3495, 255, "Enable NumLock @ Startup", 2, kCbNumLock},
    {"cbEncryptOnContextMenu", ControlKind::CheckBox, Page::Tweaks, 120, 600, 3495, 255, "Add Encrypt Item to Context Menu", 3, kCbEncryptOnContextMenu},
    {"cbDesktopWizard", ControlKind::CheckBox, Page::Tweaks, 120, 840, 3495, 255, "Enable Desktop Cleanup Wizard", 4, kCbDesktopWizard},
    {"cbClearPageFileAtShutdown", ControlKind::CheckBox, Page::Tweaks, 120, 1080, 3495, 255, "Enable Clear Page File @ Shutdown", 5, kCbClearPageFileAtShutdown},
    {"cbAdminAcctWelcomeScreen", ControlKind::CheckBox, Page::Tweaks, 120, 1320, 5175, 255, "Display Adminstrator Account on Welcome Screen", 12, kCbAdminAcctWelcomeScreen},
    {"cbDisplayCurrentAccountOnWelcomeScreen", ControlKind::CheckBox, Page::Tweaks, 120, 1560, 5175, 255, "Display Current Account on Welcome Screen", 15, kCbDisplayCurrentAccountOnWelcomeScreen},
    {"cbKeepRASOpen", ControlKind::CheckBox, Page::Tweaks, 120, 1800, 6135, 255, "Keep Dial-Up Internet Connections Open During Fast User Switch", 13, kCbKeepRASOpen},
    {"cbLowSpaceChecks", ControlKind::CheckBox, Page::Tweaks, 120, 2040, 5175, 255, "Disable Low Space Warnings", 14, kCbLowSpaceChecks},
    {"cmdMRUAll", ControlKind::Button, Page::RunList, 1073, 2640, 1455, 255, "Select &All", 9, kCmdMRUAll},
    {"cmdMRUNone", ControlKind::Button, Page::RunList, 2633, 2640, 1455, 255, "Select &None", 10, kCmdMRUNone},
    {"cmdMRUApply", ControlKind::Button, Page::RunList, 4193, 2640, 1455, 255, "A&pply", 11, kCmdMRUApply},
    {"cmdTwksSelectAll", ControlKind::Button, Page::Tweaks, 1853, 2640, 1455, 255, "Select &All", 6, kCmdTwksSelectAll},
    {"cmdTwksSelectNone", ControlKind::Button, Page::Tweaks, 3413, 2640, 1455, 255, "Select &None", 7, kCmdTwksSelectNone},
    {"Picture1", ControlKind::Picture, Page::Window, 0, 3000, 6615, 1095, "", 17, kPicture1},
    {"Label1", ControlKind::Link, Page::Window, 120, 4200, 1095, 255, "Dovrane", 0, kLabel1},
}};
// clang-format on

// Twips to pixels at `dpi` dots per inch, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi) {
    long scaled = static_cast<long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

// The row of a control id, or nullptr.
const ControlSpec* FindControl(int id);
// The help topic for F1 on a control id (the window's own topic for the
// window itself and for controls without one of their own).
int HelpTopicFor(int id);

}  // namespace ui
