// The main window's portable half: its design, every control a row of data
// in tab order, and the help topic F1 shows for each. The window itself is
// frmKestrowWin32.
#pragma once
#include <array>
#include <cstddef>
#include <iterator>

#include "settings/modTweaks.h"
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

// Where each setting's box stands on the Tweaks tab, and its name in the
// design, one row per catalogue row in its order; the box's id, caption and
// help topic come from the catalogue.
struct SettingBox {
    const char* name;
    TwipsRect rect;
};
// clang-format off
inline constexpr SettingBox kSettingBoxes[] = {
    {"cbNumLock", {120, 360, 3495, 255}},
    {"cbEncryptOnContextMenu", {120, 600, 3495, 255}},
    {"cbDesktopWizard", {120, 840, 3495, 255}},
    {"cbClearPageFileAtShutdown", {120, 1080, 3495, 255}},
    {"cbAdminAcctWelcomeScreen", {120, 1320, 5175, 255}},
    {"cbDisplayCurrentAccountOnWelcomeScreen", {120, 1560, 5175, 255}},
    {"cbKeepRASOpen", {120, 1800, 6135, 255}},
    {"cbLowSpaceChecks", {120, 2040, 5175, 255}},
};
// clang-format on
static_assert(std::size(kSettingBoxes) == modTweaks::kTweakCount,
              "every catalogue row has a box on the Tweaks tab, and every box a row");

// On a tab, a rectangle is relative to the tab control, which stands in the
// client area's corner. The rows before and after the settings' boxes:
// clang-format off
inline constexpr LayoutRow kKestrowHead[] = {
    {"SSTab1", kSSTab1, ControlKind::TabControl, Page::Window, {0, 0, 6645, 3015}, "", 1, kFormFont, Align::Left},
    {"lstRunMRU", kLstRunMRU, ControlKind::CheckedList, Page::RunList, {120, 360, 6375, 2085}, "", 8, kFormFont, Align::Left},
};
inline constexpr LayoutRow kKestrowTail[] = {
    {"cmdMRUAll", kCmdMRUAll, ControlKind::Button, Page::RunList, {1073, 2640, 1455, 255}, "Select &All", 9, kFormFont, Align::Left},
    {"cmdMRUNone", kCmdMRUNone, ControlKind::Button, Page::RunList, {2633, 2640, 1455, 255}, "Select &None", 10, kFormFont, Align::Left},
    {"cmdMRUApply", kCmdMRUApply, ControlKind::Button, Page::RunList, {4193, 2640, 1455, 255}, "A&pply", 11, kFormFont, Align::Left},
    {"cmdTwksSelectAll", kCmdTwksSelectAll, ControlKind::Button, Page::Tweaks, {1853, 2640, 1455, 255}, "Select &All", 6, kFormFont, Align::Left},
    {"cmdTwksSelectNone", kCmdTwksSelectNone, ControlKind::Button, Page::Tweaks, {3413, 2640, 1455, 255}, "Select &None", 7, kFormFont, Align::Left},
    {"Picture1", kPicture1, ControlKind::Picture, Page::Window, {0, 3000, 6615, 1095}, "", 17, kFormFont, Align::Left},
    {"Label1", kLabel1, ControlKind::Link, Page::Window, {120, 4200, 1095, 255}, "Dovrane", 0, kLinkFont, Align::Left},
};
// clang-format on

inline constexpr std::size_t kKestrowControlCount =
    std::size(kKestrowHead) + modTweaks::kTweakCount + std::size(kKestrowTail);

// Every control of the main window, in tab order.
constexpr std::array<LayoutRow, kKestrowControlCount> KestrowControls() {
    std::array<LayoutRow, kKestrowControlCount> rows{};
    std::size_t n = 0;
    for (const LayoutRow& row : kKestrowHead) rows[n++] = row;
    for (std::size_t i = 0; i < modTweaks::kTweakCount; ++i) {
        const modTweaks::Row& setting = modTweaks::kRows[i];
        rows[n++] = {kSettingBoxes[i].name,
                     SettingBoxId(static_cast<modTweaks::Tweak>(i)),
                     ControlKind::CheckBox,
                     Page::Tweaks,
                     kSettingBoxes[i].rect,
                     setting.caption,
                     setting.helpTopic,
                     kFormFont,
                     Align::Left};
    }
    for (const LayoutRow& row : kKestrowTail) rows[n++] = row;
    return rows;
}
inline constexpr std::array<LayoutRow, kKestrowControlCount> kKestrowControls = KestrowControls();

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
