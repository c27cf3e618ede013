#include "ui/RunListTab.h"

#include <algorithm>
#include <string>
#include <vector>

#include "backup/Backup.h"
#include "common/version.h"
#include "registry/RegistryApi.h"
#include "settings/RunHistory.h"
#include "system/modShutdown.h"

namespace ui {

namespace {

constexpr char kRestartQuestion[] =
    "The system must be restarted before the changes will take effect. Do you wish to restart "
    "now?";

}  // namespace

RunListTab::RunListTab(reg::RegistryApi& registry, shell::Prompter& prompter,
                       sys::ShutdownApi& shutdown)
    : registry_(registry), prompter_(prompter), shutdown_(shutdown) {}

RunListTab::RunListTab(backup::BackedUpRegistry& registry, shell::Prompter& prompter,
                       sys::ShutdownApi& shutdown)
    : RunListTab(static_cast<reg::RegistryApi&>(registry), prompter, shutdown) {
    backups_ = &registry;
}

void RunListTab::LoadRunList() {
    entries_.clear();
    current_ = -1;
    reg::Status opened = reg::kSuccess;
    std::vector<settings::runhistory::Entry> history =
        settings::runhistory::Load(registry_, &opened);
    int widest = 0;
    for (settings::runhistory::Entry& e : history) {
        if (view_) widest = std::max(widest, view_->EntryWidth(e.text));
        entries_.push_back({std::move(e.text), std::move(e.valueName), true});
    }
    if (!entries_.empty()) current_ = 0;
    if (!view_) return;
    view_->ShowEntries();
    // A key that cannot be opened shows no history; the sideways extent
    // stays as it was.
    if (opened == reg::kSuccess) view_->SetHorizontalExtent(widest);
}

void RunListTab::CheckAll(bool checked) {
    if (entries_.empty()) return;
    for (RunListEntry& entry : entries_) entry.checked = checked;
    current_ = 0;
    if (view_) view_->ShowChecks();
}

void RunListTab::cmdMRUAll_Click() {
    CheckAll(true);
}

void RunListTab::cmdMRUNone_Click() {
    CheckAll(false);
}

void RunListTab::cmdMRUApply_Click() {
    // Each entry names its own value in full: exactly the unchecked values
    // go, whatever their names look like.
    if (backups_) backups_->TakeFailure();
    for (const RunListEntry& entry : entries_) {
        if (!entry.checked) {
            settings::runhistory::Delete(registry_, entry.valueName);
        }
    }
    // An entry kept for want of its backup comes back checked; the user is
    // told why, once.
    const std::string why = backups_ ? backups_->TakeFailure() : std::string();
    LoadRunList();
    if (!why.empty())
        prompter_.MsgBox(
            "Not every unchecked entry was deleted: the change was not made because " + why + ".",
            shell::kMbOk | shell::kMbIconExclamation, DOVRANE_TITLE);
    if (prompter_.MsgBox(kRestartQuestion, shell::kMbYesNo | shell::kMbIconExclamation,
                         DOVRANE_TITLE) == shell::kIdYes) {
        modShutdown::RestartWindows(shutdown_);
    }
}

void RunListTab::SetCurrentEntry(int index) {
    if (index >= -1 && index < static_cast<int>(entries_.size())) current_ = index;
}

void RunListTab::SetChecked(int index, bool checked) {
    if (index >= 0 && index < static_cast<int>(entries_.size())) entries_[index].checked = checked;
}

}  // namespace ui
