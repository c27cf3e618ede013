#include "ui/TweaksTab.h"

#include <algorithm>

#include "ui/frmKestrow.h"

namespace ui {

using modTweaks::Outcome;
using modTweaks::Tweak;

namespace {

// Every setting has a row, in the catalogue's order, with a box of its own
// that the layout places on the Tweaks tab in the same order.
constexpr bool SettingsMatchTheirBoxes() {
    std::size_t row = 0;
    for (std::size_t i = 0; i < kSettings.size(); ++i) {
        const Setting& s = kSettings[i];
        if (s.tweak != static_cast<Tweak>(i)) return false;
        while (row < kKestrowControls.size() && kKestrowControls[row].id != s.id) ++row;
        if (row == kKestrowControls.size()) return false;
        const LayoutRow& box = kKestrowControls[row];
        if (box.kind != ControlKind::CheckBox || box.page != Page::Tweaks) return false;
    }
    return true;
}
static_assert(SettingsMatchTheirBoxes(),
              "kSettings lists every setting once, in catalogue and tab order, each with its box");

// The order in which Select All and Select None go through the boxes: each
// row's step, which the catalogue gives every row once.
constexpr std::array<Tweak, modTweaks::kTweakCount> SelectOrder() {
    std::array<Tweak, modTweaks::kTweakCount> order{};
    for (std::size_t i = 0; i < order.size(); ++i)
        order[static_cast<std::size_t>(modTweaks::kRows[i].selectStep)] = static_cast<Tweak>(i);
    return order;
}
constexpr std::array<Tweak, modTweaks::kTweakCount> kSelectOrder = SelectOrder();

constexpr const char* kConfirmText =
    "Changing this setting will remove the current user's name from the Windows XP Welcome "
    "Screen.  See help for  more information.  Are you sure you want to make this change?";
constexpr const char* kConfirmCaption = "Display Current Account On Welcome Screen";
constexpr unsigned kConfirmStyle =
    shell::kMbYesNo | shell::kMbIconExclamation | shell::kMbHelp;  // 16436
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

const Setting* SettingOf(int id) {
    for (const Setting& s : kSettings)
        if (s.id == id) return &s;
    return nullptr;
}

TweaksTab::TweaksTab(reg::RegistryApi& registry, settings::UserNameApi& userName,
                     shell::Prompter& prompter)
    : seams_{registry, userName}, prompter_(prompter) {
    for (const Setting& s : kSettings)
        Box(s.tweak).OnClick([this, tweak = s.tweak, click = s.click] {
            if (click != nullptr)
                (this->*click)();
            else
                Apply(tweak);
        });
}

TweaksTab::TweaksTab(backup::BackedUpRegistry& registry, settings::UserNameApi& userName,
                     shell::Prompter& prompter)
    : TweaksTab(static_cast<reg::RegistryApi&>(registry), userName, prompter) {
    backups_ = &registry;
}

const char* TweaksTab::Caption(Tweak tweak) {
    return modTweaks::RowOf(tweak).caption;
}

template <class Body>
void TweaksTab::Act(Body&& body) {
    // An action that ends in an exception reports nothing, and leaves
    // nothing behind for the next action to report.
    struct Depth {
        TweaksTab& tab;
        bool finished = false;
        ~Depth() {
            if (!finished && --tab.depth_ == 0) tab.failures_.clear();
        }
    } depth{*this};
    ++depth_;
    body();
    depth.finished = true;
    if (--depth_ == 0) ReportFailures();
}

void TweaksTab::Check(Tweak tweak, const modTweaks::WriteResult& result) {
    // Taken whether or not it is shown, so that it never names a later box.
    std::string why = backups_ ? backups_->TakeFailure() : std::string();
    if (result.held()) return;
    // Show what the registry holds; Restore runs no handler, so nothing is
    // written again.
    Box(tweak).Restore(result.reads == 1 ? 1 : 0);
    const bool known = std::any_of(failures_.begin(), failures_.end(),
                                   [&](const Failure& f) { return f.tweak == tweak; });
    if (!known) failures_.push_back({tweak, result.outcome, std::move(why)});
}

void TweaksTab::Apply(Tweak tweak) {
    Act([&] { Check(tweak, modTweaks::Write(seams_, tweak, Box(tweak).Value() == 1)); });
}

void TweaksTab::ReportFailures() {
    if (failures_.empty()) return;
    std::string text = failures_.size() == 1 ? "This setting could not be changed:\n\n"
                                             : "These settings could not be changed:\n\n";
    for (const Failure& f : failures_)
        text += std::string(Caption(f.tweak)) + " - " +
                (f.why.empty() ? Reason(f.outcome) : f.why) + ".\n";
    text += "\nThe boxes show the settings as Windows holds them now.";
    failures_.clear();
    prompter_.MsgBox(text, shell::kMbOk | shell::kMbIconExclamation, kFailureCaption);
}

void TweaksTab::cbDisplayCurrentAccountOnWelcomeScreen_Click() {
    Act([&] {
        CheckBox& box = Box(Tweak::kCurrentUserOnWelcome);
        if (box.Value() == 0) {
            // Only a Yes removes the account from the Welcome screen; a box
            // that could not be shown is no consent.
            const int answer =
                prompter_.MsgBox(kConfirmText, kConfirmStyle, kConfirmCaption, kConfirmHelpTopic);
            if (answer != shell::kIdYes) box.SetValue(1);  // runs this handler again, nested
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

void TweaksTab::Reread() {
    for (std::size_t i = 0; i < boxes_.size(); ++i)
        boxes_[i].Restore(modTweaks::Read(seams_, static_cast<Tweak>(i)) == 1 ? 1 : 0);
}

}  // namespace ui
