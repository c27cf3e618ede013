// The Run List tab: the Run dialog's history as a checked list, and the
// buttons that check or clear every entry and delete the unchecked ones.
#pragma once
#include <string>
#include <vector>

#include "shell/Prompter.h"

namespace backup {
class BackedUpRegistry;
}
namespace reg {
class RegistryApi;
}
namespace sys {
class ShutdownApi;
}

namespace ui {

// What the tab needs from its list control. Widths are in pixels of the
// list's own font.
class RunListView {
  public:
    virtual ~RunListView() = default;
    // The width a line of the list needs to show this entry whole: its check
    // box, the gaps around it and the text.
    virtual int EntryWidth(const std::u16string& text) = 0;
    // How far the list can be scrolled sideways (LB_SETHORIZONTALEXTENT).
    virtual void SetHorizontalExtent(int pixels) = 0;
    // The entries were replaced: show them afresh, with the current entry.
    virtual void ShowEntries() = 0;
    // Only check marks or the current entry changed: redraw them.
    virtual void ShowChecks() = 0;
};

// Text and name exactly as the registry holds them (UTF-16): a command in
// any script is shown as itself, and Apply names its value exactly.
struct RunListEntry {
    std::u16string text;       // the command, as the Run dialog shows it
    std::u16string valueName;  // the full name of the registry value it came from
    bool checked = true;       // checked: keep; unchecked: delete on Apply
};

class RunListTab {
  public:
    RunListTab(reg::RegistryApi& registry, shell::Prompter& prompter, sys::ShutdownApi& shutdown);
    // Through the backups: a deletion refused because its backup could not
    // be saved is reported with the backup's reason.
    RunListTab(backup::BackedUpRegistry& registry, shell::Prompter& prompter,
               sys::ShutdownApi& shutdown);
    RunListTab(const RunListTab&) = delete;
    RunListTab& operator=(const RunListTab&) = delete;

    // The list control the tab fills (nullptr: none). The view must outlive
    // its attachment.
    void AttachView(RunListView* view) { view_ = view; }

    // Reads the history from the registry, every entry checked, the first
    // one current. A key that cannot be opened leaves an empty list.
    void LoadRunList();
    void cmdMRUAll_Click();
    void cmdMRUNone_Click();
    // Deletes the value of every unchecked entry, reloads the list and offers
    // to restart Windows.
    void cmdMRUApply_Click();

    const std::vector<RunListEntry>& Entries() const { return entries_; }
    // The list's current entry, -1 when the list is empty.
    int CurrentEntry() const { return current_; }
    // The user's own changes, made on the list control: they do not call
    // back into the view.
    void SetCurrentEntry(int index);
    void SetChecked(int index, bool checked);

  private:
    void CheckAll(bool checked);

    reg::RegistryApi& registry_;
    backup::BackedUpRegistry* backups_ = nullptr;
    shell::Prompter& prompter_;
    sys::ShutdownApi& shutdown_;
    RunListView* view_ = nullptr;
    std::vector<RunListEntry> entries_;
    int current_ = -1;
};

}  // namespace ui
