// Dovrane without its window: settings profiles for the people who look after
// many machines. `Dovrane.exe /export FILE` writes the seven settings a
// profile carries as a registration file; `Dovrane.exe /import FILE` checks
// such a file whole, backs up what it changes, applies it and reads every
// setting back. Logon scripts run them unattended, so each outcome is an exit
// status, and /quiet keeps every message box away.
//
// Portable: the files, the registry, the backup folder and the message box
// come in through Environment; ProfilesWin32 supplies the real ones. The
// command line that asks for them is read in app/CommandLine.h.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "backup/Backup.h"
#include "files/Files.h"
#include "registry/RegistryApi.h"
#include "shell/Prompter.h"

namespace profiles {

// The exit statuses, as the help file and the README list them. An import
// that ran exits with the number of settings that did not take (0 to 7), so
// the other outcomes keep clear of that range.
enum ExitStatus : int {
    kExitOk = 0,
    kExitUsage = 10,    // an unknown switch, no FILE, or more than one
    kExitFile = 11,     // FILE could not be read or written, or the backup could not be made
    kExitRefused = 12,  // the file is no profile: nothing was changed
    kExitNotXp = 13,    // the program runs on Windows XP only
    kExitFailed = 14,   // an unexpected error (out of memory, say) ended the run
};

enum class Command {
    kWindow,  // no arguments: the program opens its window as ever
    kExport,
    kImport,
    kHelp,   // /? or -?: the usage, in a box, and exit status 0
    kUsage,  // the command line was not understood (see `error`)
};

struct Arguments {
    Command command = Command::kWindow;
    std::u16string file;
    bool quiet = false;  // also when the rest was not understood
    std::string error;   // for kUsage, in words
};

// An import from the main window's File menu goes through the window's own
// backups and Undo, so that Edit > Undo takes it back as one action; the
// command line makes a backup file of its own and keeps nothing for Undo.
struct WindowBacking {
    backup::BackedUpRegistry& registry;
    backup::UndoStack& undo;
    const backup::BackupFile& file;
    // Runs the import as one action of the window's Undo.
    std::function<void(const std::function<void()>&)> act;
    // The registry changed: the boxes read it again before the confirmation.
    std::function<void()> changed;
};

struct Environment {
    reg::RegistryApi& registry;
    files::FilesApi& files;       // the profile and the command line's backup file
    backup::Clock now;            // what the command line's backup file is named by
    std::u16string backupFolder;  // empty when Windows could not name it
    shell::Prompter& prompter;    // not used under /quiet
    // A path as a message box can show it (the ANSI code page's text).
    std::function<std::string(const std::u16string&)> shown;
    WindowBacking* window = nullptr;  // set by the main window's File menu
};

// Runs an export, an import or the usage message; never kWindow. Returns the
// exit status. Without /quiet every outcome shows one box: a failure with the
// error icon, a success or the usage with the information icon.
int Run(Environment& environment, const Arguments& arguments);

// The usage message's first lines, also what the help file shows.
extern const char kUsage[];

}  // namespace profiles
