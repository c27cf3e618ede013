// The main window's File menu: a settings profile exported or imported from
// the window, by the same code as Dovrane.exe /export and /import, with the
// same checks and messages. An import goes through the window's backups and
// is one action that Edit > Undo takes back.
//
// Portable: the Open and Save dialogs and the boxes' re-reading come in
// through FileView; frmKestrowWin32 supplies them.
#pragma once
#include <string>

#include "profiles/Profiles.h"
#include "ui/EditMenu.h"

namespace ui {

class FileView {
  public:
    virtual ~FileView() = default;
    // The standard Open dialog (`save` false) or Save dialog (true) for a
    // settings profile, listing .reg files: the file chosen, or empty when
    // the user cancelled.
    virtual std::u16string ChooseProfile(bool save) = 0;
    // The registry changed behind the tabs: they show what it holds now.
    virtual void Reread() = 0;
    // A path as a message box can show it.
    virtual std::string Shown(const std::u16string& path) = 0;
};

class FileMenu {
  public:
    // The seams are kept by reference and must outlive the menu. `registry`
    // is the real one: the import writes through the Edit menu's backed-up
    // registry and reads back without it.
    FileMenu(EditMenu& edit, reg::RegistryApi& registry, files::FilesApi& files,
             shell::Prompter& prompter, FileView& view)
        : edit_(edit), registry_(registry), files_(files), prompter_(prompter), view_(view) {}

    void mnuFileImport_Click();
    void mnuFileExport_Click();
    // The part of each after its dialog; the exit status as the command line's.
    int ImportFrom(const std::u16string& path);
    int ExportTo(const std::u16string& path);

  private:
    int Run(profiles::Command command, const std::u16string& path);

    EditMenu& edit_;
    reg::RegistryApi& registry_;
    files::FilesApi& files_;
    shell::Prompter& prompter_;
    FileView& view_;
};

}  // namespace ui
