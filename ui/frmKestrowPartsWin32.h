// What the main window owns beyond its controls, apart from the window's own
// file so that frmKestrowWin32.h need not pull it all in; only
// frmKestrowWin32.cpp includes this.
#pragma once
#include <functional>
#include <string>

#include "backup/ClockWin32.h"
#include "files/FilesWin32.h"
#include "registry/RegistryWin32.h"
#include "settings/UserNameWin32.h"
#include "shell/ShellWin32.h"
#include "system/ShutdownWin32.h"
#include "ui/BannerWin32.h"
#include "ui/CheckedListWin32.h"
#include "ui/EditMenu.h"
#include "ui/FileMenu.h"
#include "ui/RunListTab.h"
#include "ui/TweaksTab.h"
#include "ui/frmKestrowWin32.h"
#include "win32/BackupFolder.h"

namespace ui {

// What the window owns beyond its controls: the logic of its tabs, its File
// and Edit menus and the backups behind them, and its banner. Kept here so
// that the header does not pull them all in. It is also what the menus see
// of the window.
struct frmKestrow::Parts final : EditView, FileView {
    explicit Parts(shell::Prompter& prompter)
        : edit(registry, files, backup::LocalNow, win32::BackupFolder, userName, prompter),
          file(edit, registry, files, prompter, *this),
          tweaks(edit.Registry(), userName, prompter),
          runList(edit.Registry(), prompter, shutdown),
          lstRunMRU(runList) {
        edit.AttachView(this);
    }

    std::u16string ChooseBackup(const std::u16string& folder) override;
    std::u16string ChooseProfile(bool save) override;
    bool OpenFolder(const std::u16string& folder) override {
        return shell::ShellWin32(owner).OpenFolder(folder);
    }
    void Reread() override {
        tweaks.Reread();
        runList.LoadRunList();
    }
    void UndoChanged(bool canUndo) override {
        EnableMenuItem(GetMenu(owner), IDM_EDIT_UNDO,
                       MF_BYCOMMAND | (canUndo ? MF_ENABLED : MF_GRAYED));
    }
    std::string Shown(const std::u16string& path) override { return win32::Shown(path); }
    void Busy(const std::function<void()>& work) override;

    HWND owner = nullptr;
    reg::RegistryWin32 registry;
    settings::UserNameWin32 userName;
    sys::ShutdownWin32 shutdown;
    files::FilesWin32 files;
    EditMenu edit;
    FileMenu file;
    TweaksTab tweaks;
    RunListTab runList;
    CheckedListWin32 lstRunMRU;
    BannerWin32 banner;
};

}  // namespace ui
