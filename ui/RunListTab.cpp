#include "ui/RunListTab.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/version.h"
#include "registry/Backup.h"
#include "registry/RegistryApi.h"
#include "registry/modReg.h"
#include "system/modShutdown.h"

namespace ui {

namespace {

constexpr char kRunMruPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
// The shell's own order of the entries: never listed, so never deleted.
constexpr char kMruList[] = "MRUList";
// Room for a value's name (terminator included) and for its data. The first
// value that does not fit ends the list.
constexpr std::uint32_t kBufferSize = 2000;
// The shell stores each command followed by "\1" and the terminator.
constexpr std::uint32_t kEndingSize = 3;
constexpr char kRestartQuestion[] =
    "The system must be restarted before the changes will take effect. Do you wish to restart "
    "now?";

// The entry a value stands for, if it stands for one. The key's unnamed
// default value is no history entry, and data too short to hold the ending
// holds no command: both are left out of the list, and so out of Apply's
// reach.
bool DecodeEntry(const std::string& name, const std::uint8_t* data, std::uint32_t dataSize,
                 RunListEntry* entry) {
    if (name.empty() || dataSize < kEndingSize) return false;
    const char* text = reinterpret_cast<const char*>(data);
    const std::size_t length = dataSize - kEndingSize;
    // The list box shows a text up to its first zero byte; the width is
    // measured on the same text.
    entry->text.assign(text, std::find(text, text + length, '\0'));
    entry->valueName = name;
    entry->checked = true;
    return true;
}

}  // namespace

RunListTab::RunListTab(reg::RegistryApi& registry, Prompter& prompter, sys::ShutdownApi& shutdown)
    : registry_(registry), prompter_(prompter), shutdown_(shutdown) {}

RunListTab::RunListTab(backup::BackedUpRegistry& registry, Prompter& prompter,
                       sys::ShutdownApi& shutdown)
    : RunListTab(static_cast<reg::RegistryApi&>(registry), prompter, shutdown) {
    backups_ = &registry;
}

void RunListTab::LoadRunList() {
    entries_.clear();
    current_ = -1;
    reg::UniqueKey key =
        reg::UniqueKey::Open(registry_, reg::kCurrentUser, kRunMruPath, reg::kKeyRead);
    if (!key) {
        // No history to show; the sideways extent stays as it was.
        if (view_) view_->ShowEntries();
        return;
    }

    int widest = 0;
    std::string name(kBufferSize, '\0');
    std::vector<std::uint8_t> data(kBufferSize);
    for (std::uint32_t index = 0;; ++index) {
        std::fill(name.begin(), name.end(), '\0');
        std::fill(data.begin(), data.end(), 0);
        std::uint32_t nameSize = kBufferSize;
        std::uint32_t dataSize = kBufferSize;
        std::uint32_t type = 0;
        if (registry_.RegEnumValueA(key.get(), index, name.data(), &nameSize, nullptr, &type,
                                    data.data(), &dataSize) != reg::kSuccess) {
            break;
        }
        // Whatever its type, the data is read as text.
        const std::string valueName(name.data(), std::min(nameSize, kBufferSize));
        if (valueName == kMruList) continue;
        RunListEntry entry;
        if (!DecodeEntry(valueName, data.data(), std::min(dataSize, kBufferSize), &entry)) {
            continue;
        }
        if (view_) widest = std::max(widest, view_->EntryWidth(entry.text));
        entries_.push_back(std::move(entry));
    }
    if (!entries_.empty()) current_ = 0;
    if (view_) {
        view_->ShowEntries();
        view_->SetHorizontalExtent(widest);
    }
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
            modReg::DeleteValue(registry_, reg::kCurrentUser, kRunMruPath, entry.valueName);
        }
    }
    // An entry kept for want of its backup comes back checked; the user is
    // told why, once.
    const std::string why = backups_ ? backups_->TakeFailure() : std::string();
    LoadRunList();
    if (!why.empty())
        prompter_.MsgBox(
            "Not every unchecked entry was deleted: the change was not made because " + why + ".",
            kMbOk | kMbIconExclamation, DOVRANE_TITLE);
    if (prompter_.MsgBox(kRestartQuestion, kMbYesNo | kMbIconExclamation, DOVRANE_TITLE) ==
        kIdYes) {
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
