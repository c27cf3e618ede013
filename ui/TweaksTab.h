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

#include "registry/RegistryApi.h"
#include "registry/UserName.h"
#include "registry/modTweaks.h"
#include "ui/CheckBox.h"
#include "ui/Prompter.h"

namespace ui {

class TweaksTab {
  public:
    // The three seams are kept by reference and must outlive the tab: in the
    // program reg::RegistryWin32, reg::UserNameWin32 and the window's
    // message boxes. The tab wires its boxes' click handlers to itself, so it
    // is neither copied nor moved.
    TweaksTab(reg::RegistryApi& registry, reg::UserNameApi& userName, Prompter& prompter);
    TweaksTab(const TweaksTab&) = delete;
    TweaksTab& operator=(const TweaksTab&) = delete;

    // The boxes, in the window's tab order (which is also the catalogue's).
    CheckBox& cbNumLock() { return Box(modTweaks::Tweak::kNumLock); }
    CheckBox& cbEncryptOnContextMenu() { return Box(modTweaks::Tweak::kEncryptMenu); }
    CheckBox& cbDesktopWizard() { return Box(modTweaks::Tweak::kCleanupWizard); }
    CheckBox& cbClearPageFileAtShutdown() { return Box(modTweaks::Tweak::kClearPageFile); }
    CheckBox& cbAdminAcctWelcomeScreen() { return Box(modTweaks::Tweak::kAdminOnWelcome); }
    CheckBox& cbDisplayCurrentAccountOnWelcomeScreen() {
        return Box(modTweaks::Tweak::kCurrentUserOnWelcome);
    }
    CheckBox& cbKeepRASOpen() { return Box(modTweaks::Tweak::kKeepRas); }
    CheckBox& cbLowSpaceChecks() { return Box(modTweaks::Tweak::kLowSpaceChecks); }
    CheckBox& Box(modTweaks::Tweak tweak) { return boxes_[static_cast<std::size_t>(tweak)]; }
    // The caption the window shows on a box.
    static const char* Caption(modTweaks::Tweak tweak);

    void cbNumLock_Click();
    void cbEncryptOnContextMenu_Click();
    void cbDesktopWizard_Click();
    void cbClearPageFileAtShutdown_Click();
    void cbAdminAcctWelcomeScreen_Click();
    void cbDisplayCurrentAccountOnWelcomeScreen_Click();
    void cbKeepRASOpen_Click();
    void cbLowSpaceChecks_Click();
    void cmdTwksSelectAll_Click();
    void cmdTwksSelectNone_Click();

    // Sets each box from its setting, in tab order: a box that turns on runs
    // its handler, which writes that setting's on state again.
    void Load();

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
    Prompter& prompter_;
    std::array<CheckBox, modTweaks::kTweakCount> boxes_;
    struct Failure {
        modTweaks::Tweak tweak;
        modTweaks::Outcome outcome;
    };
    std::vector<Failure> failures_;
    int depth_ = 0;
};

}  // namespace ui
