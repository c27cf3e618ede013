#include "ui/EditMenu.h"

#include "backup/RegFile.h"
#include "common/Text.h"
#include "common/version.h"
#include "settings/modTweaks.h"

namespace ui {

using common::Cat;

namespace {

constexpr const char* kRestoreCaption = "Restore Backup";
constexpr unsigned kRestoreHelpTopic = 19;
constexpr const char* kNoFolder =
    "Windows did not name the Application Data folder, where Dovrane keeps its backups.";

std::string Plural(std::size_t n, const char* one, const char* many) {
    return Cat({std::to_string(n), " ", n == 1 ? one : many});
}

}  // namespace

EditMenu::EditMenu(reg::RegistryApi& registry, files::FilesApi& files, backup::Clock now,
                   std::function<std::u16string()> folder, settings::UserNameApi& userName,
                   shell::Prompter& prompter)
    : files_(files),
      now_(now),
      nameFolder_(std::move(folder)),
      userName_(userName),
      prompter_(prompter),
      file_(files_, now_, [this] { return Folder(); }),
      backed_(registry, file_, &undo_) {}

const std::u16string& EditMenu::Folder() {
    if (!folder_) folder_ = nameFolder_();
    return *folder_;
}

backup::ApplyContext EditMenu::Context() {
    // The current-account setting's value is named after the logon name; a
    // name that cannot be had names no value, and a backup entry for one is
    // then refused rather than guessed.
    return backup::ApplyContext{modTweaks::CurrentLogonName(userName_),
                                backup::RemoveIfEmpty(backed_)};
}

void EditMenu::Tell(const std::string& text) {
    prompter_.MsgBox(text, shell::kMbOk | shell::kMbIconExclamation, DOVRANE_TITLE);
}

std::string EditMenu::Shown(const std::u16string& path) {
    return view_ ? view_->Shown(path) : backup::regfile::Ascii(path);
}

std::string EditMenu::Unrestored(const backup::ApplyReport& report) {
    return NotRestored(report, [this](const std::u16string& path) { return Shown(path); });
}

void EditMenu::Settled() {
    if (view_) view_->UndoChanged(undo_.CanUndo());
    if (file_.TakeRewritten())
        Tell(Cat({"The backup file ", Shown(file_.Path()),
                  " was deleted while Dovrane was running. It has been written again with what "
                  "Windows held before each change Dovrane made since it started."}));
}

void EditMenu::Busy(const std::function<void()>& work) {
    if (view_)
        view_->Busy(work);
    else
        work();
}

void EditMenu::mnuEditUndo_Click() {
    // Ctrl+Z reaches here also when the item is grey.
    if (!undo_.CanUndo()) return;
    const backup::ApplyContext context = Context();
    backup::ApplyReport report;
    Busy([&] { report = backup::Undo(backed_, undo_, context); });
    if (view_) view_->Reread();
    Settled();
    // What could not be put back does not hold up the changes before it.
    if (!report.complete())
        Tell(Cat({"The last change could not be undone completely.\n\n", Unrestored(report),
                  undo_.CanUndo() ? "\n\nThe next Undo takes back the change before it." : ""}));
}

void EditMenu::mnuEditRestore_Click() {
    const std::u16string& folder = Folder();
    if (folder.empty()) return Tell(kNoFolder);
    // The dialog opens in the folder, which the first backup has not made yet.
    files_.CreateFolders(folder);
    const std::u16string path = view_ ? view_->ChooseBackup(folder) : std::u16string();
    if (!path.empty()) RestoreFrom(path);
}

void EditMenu::RestoreFrom(const std::u16string& path) {
    const backup::ApplyContext context = Context();
    files::Error readError = files::kOk;
    backup::regfile::ReadResult file;
    backup::managed::CheckResult check;
    backup::managed::Preview preview;
    Busy([&] {
        std::vector<std::uint8_t> bytes;
        readError = files_.ReadAll(path, bytes, backup::regfile::kMaxFileSize);
        if (readError != files::kOk) return;
        file = backup::regfile::Read(bytes);
        check = backup::managed::CheckBackup(file, context.userName);
        if (check.ok) preview = backup::managed::WhatChanges({backed_, userName_}, file.entries);
    });
    if (readError != files::kOk)
        return Tell(Cat({Shown(path), " could not be read: ", files::Describe(readError), "."}));
    if (!check.ok)
        return Tell(Cat({Shown(path), " was not restored, and nothing was changed.\n\nLine ",
                         std::to_string(check.errorLine), ": ", check.error, "."}));
    if (check.summary.values == 0 && check.summary.keyRemovals == 0)
        return Tell(Cat({Shown(path), " holds nothing to restore."}));
    if (preview.empty())
        return (void)prompter_.MsgBox("This backup matches the current settings.",
                                      shell::kMbOk | shell::kMbIconInformation, kRestoreCaption);
    if (prompter_.MsgBox(RestoreQuestion(Shown(path), preview),
                         shell::kMbYesNo | shell::kMbIconExclamation | shell::kMbHelp,
                         kRestoreCaption, kRestoreHelpTopic) != shell::kIdYes)
        return;

    backup::ApplyReport report;
    Busy([&] { report = backup::ApplyAll(backed_, undo_, file.entries, context); });
    if (view_) view_->Reread();
    Settled();
    const std::string kept =
        LeftInPlace(report.kept, [this](const std::u16string& p) { return Shown(p); });
    if (!report.complete())
        return Tell(Cat({"The backup was not restored completely.\n\n", Unrestored(report), kept,
                         "\n\nUndo takes back what was restored."}));
    prompter_.MsgBox(
        Cat({Shown(path), " has been restored.", kept, "\n\nEdit > Undo takes the restore back."}),
        shell::kMbOk | shell::kMbIconInformation, kRestoreCaption);
}

void EditMenu::mnuEditOpenFolder_Click() {
    const std::u16string& folder = Folder();
    if (folder.empty()) return Tell(kNoFolder);
    if (const files::Error e = files_.CreateFolders(folder))
        return Tell(Cat({"The backups folder ", Shown(folder),
                         " could not be made: ", files::Describe(e), "."}));
    if (view_ && !view_->OpenFolder(folder))
        Tell(Cat({"The backups folder ", Shown(folder), " could not be opened."}));
}

std::string RestoreQuestion(const std::string& shownPath, const backup::managed::Preview& preview) {
    const auto onOff = [](std::int32_t state) { return state == 1 ? "On" : "Off"; };
    std::string text = Cat({"Restore ", shownPath, "?\n\nIt changes:\n"});
    for (const backup::managed::SettingChange& c : preview.settings)
        text += Cat(
            {"\n", modTweaks::RowOf(c.tweak).caption, ": ", onOff(c.now), " -> ", onOff(c.after)});
    if (preview.runList > 0)
        text += Cat({"\n", Plural(preview.runList, "Run List entry", "Run List entries"),
                     " put back as the backup holds ", preview.runList == 1 ? "it" : "them"});
    text += "\n\nWhat Windows holds now is backed up first: Edit > Undo takes the restore back.";
    return text;
}

std::string LeftInPlace(const std::vector<backup::KeptKey>& kept,
                        const std::function<std::string(const std::u16string&)>& shown) {
    std::string text;
    for (const backup::KeptKey& k : kept)
        text += Cat({"\n\n", shown(backup::regfile::RootName(k.root) + u"\\" + k.path),
                     " still holds values Dovrane did not make, such as ", shown(k.value),
                     "; it was left in place."});
    return text;
}

std::string NotRestored(const backup::ApplyReport& report,
                        const std::function<std::string(const std::u16string&)>& shown) {
    std::string text = report.failed.size() == 1 ? "This could not be put back:\n"
                                                 : "These could not be put back:\n";
    for (const backup::regfile::Entry& e : report.failed) {
        std::u16string where = backup::regfile::RootName(e.root) + u"\\" + e.path;
        if (e.kind == backup::regfile::Entry::Kind::kValue ||
            e.kind == backup::regfile::Entry::Kind::kDeleteValue)
            where += u"\\" + (e.name.empty() ? std::u16string(u"(Default)") : e.name);
        text.append("\n").append(shown(where));
    }
    if (!report.why.empty()) text += Cat({"\n\nThe change was not made because ", report.why, "."});
    return text;
}

}  // namespace ui
