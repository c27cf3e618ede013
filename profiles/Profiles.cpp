#include "profiles/Profiles.h"

#include "backup/Backup.h"
#include "backup/Managed.h"
#include "backup/RegFile.h"
#include "backup/Restore.h"
#include "common/Text.h"
#include "common/version.h"
#include "settings/modTweaks.h"

namespace profiles {

using common::Cat;

const char kUsage[] =
    "Dovrane.exe /export FILE [/quiet]\n"
    "Dovrane.exe /import FILE [/quiet]\n"
    "\n"
    "Put a FILE whose path holds spaces in quotes.";

const char kHelpText[] =
    "/export writes this computer's settings to FILE, a settings profile.\n"
    "/import checks FILE, saves a backup of what it changes, and applies it.\n"
    "/quiet shows no message box; the exit status tells how it went.\n"
    "\n"
    "Exit status: 0 done; 1 to 7 that many settings did not take; 10 the command "
    "line was not understood; 11 FILE could not be read or written; 12 FILE is not "
    "a settings profile; 13 not Windows XP; 14 an unexpected error.";

namespace {

// No logon name is needed for the seven settings a profile carries.
class NoUserName final : public settings::UserNameApi {
  public:
    bool GetUserNameW(char16_t*, std::uint32_t*) override { return false; }
};

// One setting a line, as the boxes name them.
std::string Captions(const std::vector<modTweaks::Tweak>& settings) {
    std::string text;
    for (modTweaks::Tweak t : settings) text.append("\n").append(modTweaks::RowOf(t).caption);
    return text;
}

// The settings a profile carries: those whose value has one name for everyone.
std::vector<modTweaks::Tweak> Carried() {
    std::vector<modTweaks::Tweak> carried;
    for (std::size_t i = 0; i < modTweaks::kTweakCount; ++i)
        if (modTweaks::Rows()[i].valueName != nullptr)
            carried.push_back(static_cast<modTweaks::Tweak>(i));
    return carried;
}

class Runner {
  public:
    Runner(Environment& env, const Arguments& args) : env_(env), args_(args) {}

    int Export() {
        if (env_.files.IsFolder(args_.file))
            return Fail(kExitFile, Cat({"The settings could not be exported: ", Shown(),
                                        " is a folder, not a file. Give the name of the file to "
                                        "write, for example ",
                                        env_.shown(args_.file + u"\\Dovrane.reg"), "."}));
        const std::vector<std::uint8_t> bytes =
            backup::regfile::Write(backup::managed::ExportProfile(env_.registry));
        if (const files::Error e = env_.files.ReplaceWhole(args_.file, bytes))
            return Fail(kExitFile, Cat({"The settings could not be exported to ", Shown(), ": ",
                                        files::Describe(e), "."}));
        return Done(Cat({"The settings were exported to ", Shown(),
                         ".\n\nThe settings profile carries:\n", Captions(Carried()), "\n\n",
                         modTweaks::RowOf(modTweaks::Tweak::kCurrentUserOnWelcome).caption,
                         " is not in it: its value is named after each user.\n\nTo apply the "
                         "profile on another computer: File > Import Settings in Dovrane's "
                         "window, or Dovrane.exe /import FILE."}));
    }

    int Import() {
        if (env_.files.IsFolder(args_.file))
            return Fail(kExitFile, Cat({Shown(),
                                        " is a folder, not a file. Give the settings "
                                        "profile's file: Dovrane.exe /import FILE."}));
        std::vector<std::uint8_t> bytes;
        if (const files::Error e =
                env_.files.ReadAll(args_.file, bytes, backup::regfile::kMaxFileSize))
            return Fail(kExitFile, Cat({"The settings profile ", Shown(),
                                        " could not be read: ", files::Describe(e), "."}));
        const backup::regfile::ReadResult file = backup::regfile::Read(bytes);
        const backup::managed::CheckResult check = backup::managed::CheckProfile(file);
        if (!check.ok)
            return Fail(kExitRefused,
                        Cat({Shown(), " was not imported, and nothing was changed.\n\nLine ",
                             std::to_string(check.errorLine), ": ", check.error, "."}));
        // Nothing is changed without its backup: with no folder for it, no
        // change at all.
        if (env_.backupFolder.empty())
            return Fail(kExitFile, Cat({Shown(),
                                        " was not imported: Windows did not name the Application "
                                        "Data folder, where Dovrane keeps its backups."}));
        // A profile that holds already needs no backup, and leaves no file.
        const bool holds = backup::managed::NotHeld(env_.registry, file.entries).empty();

        // The command line's own backup file and an Undo nobody asks for; the
        // window's, so that Edit > Undo takes the import back.
        backup::BackupFile ownFile(env_.files, env_.now, env_.backupFolder);
        backup::UndoStack ownUndo;
        backup::BackedUpRegistry ownBacked(env_.registry, ownFile, &ownUndo);
        WindowBacking* window = env_.window;
        backup::BackedUpRegistry& backed = window ? window->registry : ownBacked;
        backup::UndoStack& undo = window ? window->undo : ownUndo;
        const backup::BackupFile& backupFile = window ? window->file : ownFile;
        const std::size_t actionsBefore = undo.Size();
        backup::ApplyReport report;
        // NumLock's value goes through the setting's own writer, which keeps
        // the other keys' bits; everything else as the file gives it.
        const auto apply = [&] {
            std::vector<backup::regfile::Entry> plain;
            std::vector<std::pair<modTweaks::Tweak, bool>> written;
            for (const backup::regfile::Entry& e : file.entries) {
                if (const auto setting = backup::managed::ThroughWriter(e))
                    written.push_back(*setting);
                else
                    plain.push_back(e);
            }
            report = backup::ApplyAll(backed, undo, plain, backup::ApplyContext{});
            NoUserName noUser;
            for (const auto& [tweak, on] : written) {
                modTweaks::Write({backed, noUser}, tweak, on);
                const std::string why = backed.TakeFailure();
                if (report.why.empty()) report.why = why;
            }
        };
        if (!holds && !window) {
            // The backup file is made before the first change: when it
            // cannot be, nothing is changed.
            if (const files::Error e = ownFile.Append({}))
                return Fail(kExitFile,
                            Cat({Shown(),
                                 " was not imported, and nothing was changed: the "
                                 "backup file could not be made in ",
                                 env_.shown(env_.backupFolder), ": ", files::Describe(e), "."}));
        }
        if (holds) {
            // Nothing to do: the confirmation below says so.
        } else if (window) {
            window->act(apply);
            if (window->changed) window->changed();
        } else {
            apply();
        }
        // Decision 5: what counts is what the registry holds now, read
        // without the backup in the way.
        const std::vector<modTweaks::Tweak> missed =
            backup::managed::NotHeld(env_.registry, file.entries);
        if (missed.empty()) {
            std::string text = Cat({Shown(),
                                    " was imported: every setting it carries holds.\n\n"
                                    "Settings it carries:\n",
                                    Captions(check.summary.settings), "\n\n"});
            // An action is kept only when something changed (the window's
            // backup file may hold earlier changes of its run).
            if (undo.Size() == actionsBefore || backupFile.Path().empty())
                text +=
                    "Every setting already held what the profile gives, so nothing was "
                    "changed.";
            else
                text += Cat({"What they were before is saved in ", env_.shown(backupFile.Path()),
                             window ? "; Edit > Undo takes the import back."
                                    : "; Edit > Restore Backup in Dovrane's window puts them "
                                      "back."});
            return Done(text);
        }

        std::string text =
            Cat({std::to_string(missed.size()), missed.size() == 1 ? " setting" : " settings",
                 " of ", Shown(), " did not take:\n", Captions(missed), "\n\n"});
        text += report.why.empty()
                    ? "Windows did not accept the change. Settings of the whole computer need "
                      "an administrator."
                    : Cat({"The change was not made because ", report.why, "."});
        if (!backupFile.Path().empty())
            text += Cat({"\n\nWhat was changed is saved in ", env_.shown(backupFile.Path()), "."});
        // A change the backup refused is the backup's failure, not Windows's.
        return Fail(report.why.empty() ? static_cast<int>(missed.size()) : kExitFile, text);
    }

    int Fail(int status, const std::string& text) {
        if (!args_.quiet)
            env_.prompter.MsgBox(text, shell::kMbOk | shell::kMbIconError, DOVRANE_TITLE);
        return status;
    }

    int Done(const std::string& text) {
        if (!args_.quiet)
            env_.prompter.MsgBox(text, shell::kMbOk | shell::kMbIconInformation, DOVRANE_TITLE);
        return kExitOk;
    }

  private:
    std::string Shown() const { return env_.shown(args_.file); }

    Environment& env_;
    const Arguments& args_;
};

}  // namespace

int Run(Environment& environment, const Arguments& arguments) {
    if (!environment.shown) environment.shown = backup::regfile::Ascii;
    Runner runner(environment, arguments);
    switch (arguments.command) {
        case Command::kExport:
            return runner.Export();
        case Command::kImport:
            return runner.Import();
        case Command::kHelp:
            return runner.Done(Cat({kUsage, "\n\n", kHelpText}));
        case Command::kWindow:
        case Command::kUsage:
            break;
    }
    return runner.Fail(kExitUsage, Cat({arguments.error, "\n\n", kUsage}));
}

}  // namespace profiles
