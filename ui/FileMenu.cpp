#include "ui/FileMenu.h"

namespace ui {

void FileMenu::mnuFileImport_Click() {
    const std::u16string path = view_.ChooseProfile(false);
    if (!path.empty()) ImportFrom(path);
}

void FileMenu::mnuFileExport_Click() {
    const std::u16string path = view_.ChooseProfile(true);
    if (!path.empty()) ExportTo(path);
}

int FileMenu::ImportFrom(const std::u16string& path) {
    return Run(profiles::Command::kImport, path);
}

int FileMenu::ExportTo(const std::u16string& path) {
    return Run(profiles::Command::kExport, path);
}

int FileMenu::Run(profiles::Command command, const std::u16string& path) {
    profiles::WindowBacking backing{edit_.Registry(), edit_.Undo(), edit_.File(),
                                    [this](const std::function<void()>& body) { edit_.Act(body); },
                                    [this] { view_.Reread(); }};
    profiles::Environment environment{
        registry_,      files_,    edit_.BackupClock(),
        edit_.Folder(), prompter_, [this](const std::u16string& p) { return view_.Shown(p); },
        &backing};
    profiles::Arguments arguments;
    arguments.command = command;
    arguments.file = path;
    return profiles::Run(environment, arguments);
}

}  // namespace ui
