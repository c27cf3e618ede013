// The main window's Edit menu and the backups behind every change the window
// makes. The window's tabs reach the registry through Registry(): each change
// is saved to the run's backup file before it is made, and each command of
// the user (a box's click, Select All or None, a Run List Apply, a restore)
// is one action that Undo takes back.
//
// Portable: the Open dialog, Explorer and the tabs' re-reading come in
// through EditView; frmKestrowWin32 supplies them.
#pragma once
#include <functional>
#include <optional>
#include <string>

#include "backup/Backup.h"
#include "backup/Managed.h"
#include "backup/Restore.h"
#include "files/Files.h"
#include "registry/RegistryApi.h"
#include "settings/UserName.h"
#include "shell/Prompter.h"

namespace ui {

class EditView {
  public:
    virtual ~EditView() = default;
    // The standard Open dialog on `folder`, listing .reg files: the file
    // chosen, or empty when the user cancelled.
    virtual std::u16string ChooseBackup(const std::u16string& folder) = 0;
    // Opens the folder in Explorer; false when the shell could not.
    virtual bool OpenFolder(const std::u16string& folder) = 0;
    // The registry changed behind the tabs (an undo or a restore): the boxes
    // and the list show what it holds now, and nothing is written.
    virtual void Reread() = 0;
    // Whether Undo has anything to take back changed, or may have.
    virtual void UndoChanged(bool canUndo) = 0;
    // A path as a message box can show it.
    virtual std::string Shown(const std::u16string& path) = 0;
    // Runs `work` (reading a backup, a restore, an undo) with the wait
    // cursor, the window answering and painted however long it takes (a
    // backup folder on a slow network): off the interface thread, while the
    // user's input waits, so that no command of ours runs in its middle.
    virtual void Busy(const std::function<void()>& work) = 0;
};

class EditMenu {
  public:
    // The seams are kept by reference and must outlive the menu. `now`
    // names the run's backup file; `folder` names where it goes, asked once,
    // when first needed (naming it may load the shell); empty when Windows
    // did not name one, and then every change is refused, since none could
    // be backed up.
    EditMenu(reg::RegistryApi& registry, files::FilesApi& files, backup::Clock now,
             std::function<std::u16string()> folder, settings::UserNameApi& userName,
             shell::Prompter& prompter);
    EditMenu(const EditMenu&) = delete;
    EditMenu& operator=(const EditMenu&) = delete;

    void AttachView(EditView* view) { view_ = view; }

    // What the tabs change the registry through.
    backup::BackedUpRegistry& Registry() { return backed_; }
    // Runs one command of the user as one undoable action. Outside it (the
    // load) changes are backed up but not kept for Undo.
    template <class Body>
    void Act(Body&& body) {
        {
            backup::UndoStack::Action action(undo_);
            body();
        }
        Settled();
    }
    bool CanUndo() const { return undo_.CanUndo(); }
    // The run's backup file; empty until the first change.
    const std::u16string& BackupPath() const { return file_.Path(); }
    // What the File menu's import goes through, so that it is backed up in
    // the run's file and Undo takes it back.
    backup::UndoStack& Undo() { return undo_; }
    const backup::BackupFile& File() const { return file_; }
    // What the run's backup file is named by.
    backup::Clock BackupClock() const { return now_; }
    // Where the run's backup file goes; empty when Windows did not name it.
    const std::u16string& Folder();

    // Takes back the newest action without asking: it returns to a state
    // the user had. Says which values could not be put back.
    void mnuEditUndo_Click();
    // Reads, checks, summarises and, on Yes, applies a backup the user
    // chooses, as one action that Undo takes back.
    void mnuEditRestore_Click();
    // Opens the backups folder in Explorer, made first when missing.
    void mnuEditOpenFolder_Click();
    // The part of Restore after the Open dialog.
    void RestoreFrom(const std::u16string& path);

  private:
    // After a command: Undo's state shown, and the user told once when the
    // backup file had gone and was written again.
    void Settled();
    void Busy(const std::function<void()>& work);
    backup::ApplyContext Context();
    void Tell(const std::string& text);
    std::string Shown(const std::u16string& path);
    std::string Unrestored(const backup::ApplyReport& report);

    files::FilesApi& files_;
    backup::Clock now_;
    std::function<std::u16string()> nameFolder_;
    std::optional<std::u16string> folder_;
    settings::UserNameApi& userName_;
    shell::Prompter& prompter_;
    EditView* view_ = nullptr;
    backup::BackupFile file_;
    backup::UndoStack undo_;
    backup::BackedUpRegistry backed_;
};

// The confirmation a restore asks: each setting it changes, "caption: On ->
// Off" (the arrow in the ANSI message box's own characters), and how many
// Run List entries it puts back.
std::string RestoreQuestion(const std::string& shownPath, const backup::managed::Preview& preview);
// What a restore says of each key a removal in an older backup left in
// place because it holds someone else's value; empty when none was.
std::string LeftInPlace(const std::vector<backup::KeptKey>& kept,
                        const std::function<std::string(const std::u16string&)>& shown);
// What an undo or a restore that could not be completed says: the values
// (root\key\name) it could not put back, and why when the backup said.
std::string NotRestored(const backup::ApplyReport& report,
                        const std::function<std::string(const std::u16string&)>& shown);

}  // namespace ui
