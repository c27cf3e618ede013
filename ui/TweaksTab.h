// The logic of the main window's "Tweaks" tab: eight checkboxes, one per
// setting, that apply every change at once, and Select All / Select None.
// Portable: the window owns the real controls and keeps them in step through
// each box's ShowOn, and on BN_CLICKED calls box.SetValue(1 - box.Value()).
//
// A write that does not take is not shown as done: the box is put back to
// what the registry holds (without running its handler again) and the user
// is told once per action - a click, a Select All/None press, or the load -
// which settings could not be changed and why.
#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "backup/Backup.h"
#include "registry/RegistryApi.h"
#include "settings/UserName.h"
#include "settings/modTweaks.h"
#include "shell/Prompter.h"
#include "ui/CheckBox.h"
#include "ui/ControlIds.h"

namespace ui {

class TweaksTab {
  public:
    // The three seams are kept by reference and must outlive the tab: in the
    // program reg::RegistryWin32, settings::UserNameWin32 and the window's
    // message boxes. The tab wires its boxes' click handlers to itself, so it
    // is neither copied nor moved.
    TweaksTab(reg::RegistryApi& registry, settings::UserNameApi& userName,
              shell::Prompter& prompter);
    // Through the backups: a change refused because its backup could not be
    // saved is reported with the backup's reason.
    TweaksTab(backup::BackedUpRegistry& registry, settings::UserNameApi& userName,
              shell::Prompter& prompter);
    TweaksTab(const TweaksTab&) = delete;
    TweaksTab& operator=(const TweaksTab&) = delete;

    // The box of a setting.
    CheckBox& Box(modTweaks::Tweak tweak) { return boxes_[static_cast<std::size_t>(tweak)]; }
    // The caption the window shows on a box.
    static const char* Caption(modTweaks::Tweak tweak);

    // A plain box writes its state at once.
    void cbNumLock_Click() { Apply(modTweaks::Tweak::kNumLock); }
    void cbEncryptOnContextMenu_Click() { Apply(modTweaks::Tweak::kEncryptMenu); }
    void cbDesktopWizard_Click() { Apply(modTweaks::Tweak::kCleanupWizard); }
    void cbClearPageFileAtShutdown_Click() { Apply(modTweaks::Tweak::kClearPageFile); }
    void cbAdminAcctWelcomeScreen_Click() { Apply(modTweaks::Tweak::kAdminOnWelcome); }
    // Asks before the current account leaves the Welcome screen.
    void cbDisplayCurrentAccountOnWelcomeScreen_Click();
    void cbKeepRASOpen_Click() { Apply(modTweaks::Tweak::kKeepRas); }
    void cbLowSpaceChecks_Click() { Apply(modTweaks::Tweak::kLowSpaceChecks); }
    void cmdTwksSelectAll_Click();
    void cmdTwksSelectNone_Click();

    // Sets each box from its setting, in tab order: a box that turns on runs
    // its handler, which writes that setting's on state again.
    void Load();
    // Shows each setting as the registry holds it without writing anything
    // (after an undo or a restore changed it behind the boxes).
    void Reread();

  private:
    // Runs one action; the outermost one reports what could not be changed.
    template <class Body>
    void Act(Body&& body);
    // Steps 1-2 of a plain box's handler: write the box's state.
    void Apply(modTweaks::Tweak tweak);
    void Check(modTweaks::Tweak tweak, const modTweaks::WriteResult& result);
    void SetAll(int value);
    void ReportFailures();

    modTweaks::Seams seams_;
    backup::BackedUpRegistry* backups_ = nullptr;
    shell::Prompter& prompter_;
    std::array<CheckBox, modTweaks::kTweakCount> boxes_;
    struct Failure {
        modTweaks::Tweak tweak;
        modTweaks::Outcome outcome;
        std::string why;  // the backup's refusal, when it was one
    };
    std::vector<Failure> failures_;
    int depth_ = 0;
};

// The handlers of the settings' boxes, in the catalogue's order. A setting
// without one here writes its box's state at once, as the plain ones do.
inline constexpr std::array<void (TweaksTab::*)(), modTweaks::kTweakCount> kClicks = {{
    &TweaksTab::cbNumLock_Click,
    &TweaksTab::cbEncryptOnContextMenu_Click,
    &TweaksTab::cbDesktopWizard_Click,
    &TweaksTab::cbClearPageFileAtShutdown_Click,
    &TweaksTab::cbAdminAcctWelcomeScreen_Click,
    &TweaksTab::cbDisplayCurrentAccountOnWelcomeScreen_Click,
    &TweaksTab::cbKeepRASOpen_Click,
    &TweaksTab::cbLowSpaceChecks_Click,
}};

// Each setting as the window shows it, in the catalogue's order (which is
// also the tab order): its box, by control id (whose layout row gives its
// place, caption and help topic), and the handler a click on it runs.
struct Setting {
    modTweaks::Tweak tweak;
    int id;
    void (TweaksTab::*click)();  // nullptr: a plain write
};
constexpr std::array<Setting, modTweaks::kTweakCount> Settings() {
    std::array<Setting, modTweaks::kTweakCount> settings{};
    for (std::size_t i = 0; i < settings.size(); ++i) {
        const auto tweak = static_cast<modTweaks::Tweak>(i);
        settings[i] = {tweak, SettingBoxId(tweak), kClicks[i]};
    }
    return settings;
}
inline constexpr std::array<Setting, modTweaks::kTweakCount> kSettings = Settings();

// The setting a box's control id stands for, or nullptr.
const Setting* SettingOf(int id);

}  // namespace ui
