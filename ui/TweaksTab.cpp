#include "ui/TweaksTab.h"

#include <algorithm>

#include "ui/frmKestrowLayout.h"

namespace ui {

using modTweaks::Outcome;
using modTweaks::Tweak;

namespace {

// The click handlers in tab order, matching modTweaks::Tweak.
const std::array<void (TweaksTab::*)(), modTweaks::kTweakCount> kHandlers = {
    &TweaksTab::cbNumLock_Click,
    &TweaksTab::cbEncryptOnContextMenu_Click,
    &TweaksTab::cbDesktopWizard_Click,
    &TweaksTab::cbClearPageFileAtShutdown_Click,
    &TweaksTab::cbAdminAcctWelcomeScreen_Click,
    &TweaksTab::cbDisplayCurrentAccountOnWelcomeScreen_Click,
    &TweaksTab::cbKeepRASOpen_Click,
    &TweaksTab::cbLowSpaceChecks_Click,
};

// The order in which Select All and Select None go through the boxes.
constexpr std::array<Tweak, modTweaks::kTweakCount> kSelectOrder = {
    Tweak::kNumLock,     Tweak::kClearPageFile,  Tweak::kCleanupWizard,
    Tweak::kEncryptMenu, Tweak::kAdminOnWelcome, Tweak::kCurrentUserOnWelcome,
    Tweak::kKeepRas,     Tweak::kLowSpaceChecks,
};

constexpr const char* kConfirmText =
    "Changing this setting will remove the current user's name from the Windows XP Welcome "
    "Screen.  See help for  more information.  Are you sure you want to make this change?";
constexpr const char* kConfirmCaption = "Display Current Account On Welcome Screen";
constexpr unsigned kConfirmStyle = kMbYesNo | kMbIconExclamation | kMbHelp;  // 16436
constexpr unsigned kConfirmHelpTopic = 15;

constexpr const char* kFailureCaption = "Dovrane";

const char* Reason(Outcome outcome) {
    switch (outcome) {
        case Outcome::kRefused:
            return "changing it needs administrator rights";
        case Outcome::kKeyMissing:
            return "its registry key could not be created";
        case Outcome::kNoUserName:
            return "your logon name could not be read";
        default:
            return "Windows did not keep the change";
    }
}

}  // namespace

TweaksTab::TweaksTab(reg::RegistryApi& registry, reg::UserNameApi& userName, Prompter& prompter)
    : seams_{registry, userName}, prompter_(prompter) {
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        const auto handler = kHandlers[i];
        boxes_[i].OnClick([this, handler] { (this->*handler)(); });
    }
}

const char* TweaksTab::Caption(Tweak tweak) {
    // The boxes stand in the window's layout in the same order as the tweaks.
    return FindControl(kCbNumLock + static_cast<int>(tweak))->caption;
}

template <class Body>
void TweaksTab::Act(Body&& body) {
    ++depth_;
    try {
        body();
    } catch (...) {
        if (--depth_ == 0) failures_.clear();
        throw;
    }
    if (--depth_ == 0) ReportFailures();
}

void TweaksTab::Check(Tweak tweak, const modTweaks::WriteResult& result) {
    if (result.held()) return;
    // Show what the registry holds; Restore runs no handler, so nothing is
    // written again.
    Box(tweak).Restore(result.reads == 1 ? 1 : 0);
    const bool known = std::any_of(failures_.begin(), failures_.end(),
                                   [&](const Failure& f) { return f.tweak == tweak; });
    if (!known) failures_.push_back({tweak, result.outcome});
}

void TweaksTab::Apply(Tweak tweak) {
    Act([&] { Check(tweak, modTweaks::Write(seams_, tweak, Box(tweak).Value() == 1)); });
}

void TweaksTab::ReportFailures() {
    if (failures_.empty()) return;
    std::string text = failures_.size() == 1 ? "This setting could not be changed:\n\n"
                                             : "These settings could not be changed:\n\n";
    for (const Failure& f : failures_)
        text += std::string(Caption(f.tweak)) + " - " + Reason(f.outcome) + ".\n";
    text += "\nThe boxes show the settings as Windows holds them now.";
    failures_.clear();
    prompter_.MsgBox(text, kMbOk | kMbIconExclamation, kFailureCaption);
}

void TweaksTab::cbNumLock_Click() {
    Apply(Tweak::kNumLock);
}
void TweaksTab::cbEncryptOnContextMenu_Click() {
    Apply(Tweak::kEncryptMenu);
}
void TweaksTab::cbDesktopWizard_Click() {
    Apply(Tweak::kCleanupWizard);
}
void TweaksTab::cbClearPageFileAtShutdown_Click() {
    Apply(Tweak::kClearPageFile);
}
void TweaksTab::cbAdminAcctWelcomeScreen_Click() {
    Apply(Tweak::kAdminOnWelcome);
}
void TweaksTab::cbKeepRASOpen_Click() {
    Apply(Tweak::kKeepRas);
}
void TweaksTab::cbLowSpaceChecks_Click() {
    Apply(Tweak::kLowSpaceChecks);
}

void TweaksTab::cbDisplayCurrentAccountOnWelcomeScreen_Click() {
    Act([&] {
        CheckBox& box = cbDisplayCurrentAccountOnWelcomeScreen();
        if (box.Value() == 0) {
            // Only a Yes removes the account from the Welcome screen; a box
            // that could not be shown is no consent.
            const int answer =
                prompter_.MsgBox(kConfirmText, kConfirmStyle, kConfirmCaption, kConfirmHelpTopic);
            if (answer != kIdYes) box.SetValue(1);  // runs this handler again, nested
        }
        Check(Tweak::kCurrentUserOnWelcome,
              modTweaks::Write(seams_, Tweak::kCurrentUserOnWelcome, box.Value() == 1));
    });
}

void TweaksTab::SetAll(int value) {
    Act([&] {
        for (Tweak tweak : kSelectOrder) Box(tweak).SetValue(value);
    });
}

void TweaksTab::cmdTwksSelectAll_Click() {
    SetAll(1);
}
void TweaksTab::cmdTwksSelectNone_Click() {
    SetAll(0);
}

void TweaksTab::Load() {
    Act([&] {
        for (std::size_t i = 0; i < boxes_.size(); ++i) {
            const Tweak tweak = static_cast<Tweak>(i);
            boxes_[i].SetValue(modTweaks::Read(seams_, tweak) == 1 ? 1 : 0);
        }
    });
}

}  // namespace ui
