#include "profiles/Profiles.h"

#include "backup/Backup.h"
#include "backup/Managed.h"
#include "backup/RegFile.h"
#include "backup/Restore.h"
#include "common/version.h"
#include "settings/modTweaks.h"

namespace cmdline {

const char kUsage[] =
    "Dovrane.exe /export FILE [/quiet]\n"
    "Dovrane.exe /import FILE [/quiet]\n"
    "\n"
    "Put a FILE whose path holds spaces in quotes.";

namespace {

// No logon name is needed for the seven settings a profile carries.
class NoUserName final : public reg::UserNameApi {
  public:
    bool GetUserNameW(char16_t*, std::uint32_t*) override { return false; }
};

class Runner {
  public:
    Runner(Environment& env, const Arguments& args) : env_(env), args_(args) {}

    int Export() {
        const std::vector<std::uint8_t> bytes =
            regfile::Write(managed::ExportProfile(env_.registry));
        if (const backup::Error e = env_.files.WriteWhole(args_.file, bytes))
            return Fail(kExitFile, "The settings could not be exported to " + Shown() + ": " +
                                       backup::Describe(e) + ".");
        return kExitOk;
    }

    int Import() {
        std::vector<std::uint8_t> bytes;
        if (const backup::Error e = env_.files.ReadAll(args_.file, bytes))
            return Fail(kExitFile, "The settings profile " + Shown() +
                                       " could not be read: " + backup::Describe(e) + ".");
        const regfile::ReadResult file = regfile::Read(bytes);
        const managed::CheckResult check = managed::CheckProfile(file);
        if (!check.ok)
            return Fail(kExitRefused, Shown() + " was not imported, and nothing was changed.\n\n" +
                                          "Line " + std::to_string(check.errorLine) + ": " +
                                          check.error + ".");
        // Nothing is changed without its backup: with no folder for it, no
        // change at all.
        if (env_.backupFolder.empty())
            return Fail(kExitFile, Shown() +
                                       " was not imported: Windows did not name the Application "
                                       "Data folder, where Dovrane keeps its backups.");
        // A profile that holds already needs no backup, and leaves no file.
        if (managed::NotHeld(env_.registry, file.entries).empty()) return kExitOk;

        // The backup file is made before the first change: when it cannot
        // be, nothing is changed.
        backup::BackupFile backupFile(env_.backupFiles, env_.backupFolder);
        if (const backup::Error e = backupFile.Append({}))
            return Fail(kExitFile, Shown() + " was not imported, and nothing was changed: the " +
                                       "backup file could not be made in " +
                                       env_.shown(env_.backupFolder) + ": " + backup::Describe(e) +
                                       ".");
        backup::UndoStack undo;
        backup::BackedUpRegistry backed(env_.registry, backupFile, &undo);
        // NumLock's value goes through the setting's own writer, which keeps
        // the other keys' bits; everything else as the file gives it.
        std::vector<regfile::Entry> plain;
        std::vector<std::pair<modTweaks::Tweak, bool>> written;
        for (const regfile::Entry& e : file.entries) {
            if (const auto setting = managed::ThroughWriter(e))
                written.push_back(*setting);
            else
                plain.push_back(e);
        }
        backup::ApplyReport report = backup::ApplyAll(backed, undo, plain, backup::ApplyContext{});
        NoUserName noUser;
        for (const auto& [tweak, on] : written) {
            modTweaks::Write({backed, noUser}, tweak, on);
            const std::string why = backed.TakeFailure();
            if (report.why.empty()) report.why = why;
        }
        // Decision 5: what counts is what the registry holds now, read
        // without the backup in the way.
        const std::vector<modTweaks::Tweak> missed = managed::NotHeld(env_.registry, file.entries);
        if (missed.empty()) return kExitOk;

        std::string text = std::to_string(missed.size()) +
                           (missed.size() == 1 ? " setting" : " settings") + " of " + Shown() +
                           " did not take:\n";
        for (modTweaks::Tweak t : missed) text += std::string("\n") + modTweaks::RowOf(t).caption;
        text += "\n\n";
        text += report.why.empty()
                    ? "Windows did not accept the change. Settings of the whole computer need "
                      "an administrator."
                    : "The change was not made because " + report.why + ".";
        if (!backupFile.Path().empty())
            text += "\n\nWhat was changed is saved in " + env_.shown(backupFile.Path()) + ".";
        // A change the backup refused is the backup's failure, not Windows's.
        return Fail(report.why.empty() ? static_cast<int>(missed.size()) : kExitFile, text);
    }

    int Fail(int status, const std::string& text) {
        if (!args_.quiet)
            env_.prompter.MsgBox(text, ui::kMbOk | ui::kMbIconExclamation, DOVRANE_TITLE);
        return status;
    }

  private:
    std::string Shown() const { return env_.shown(args_.file); }

    Environment& env_;
    const Arguments& args_;
};

}  // namespace

int Run(Environment& environment, const Arguments& arguments) {
    if (!environment.shown) environment.shown = regfile::Ascii;
    Runner runner(environment, arguments);
    switch (arguments.command) {
        case Command::kExport:
            return runner.Export();
        case Command::kImport:
            return runner.Import();
        case Command::kWindow:
        case Command::kUsage:
            break;
    }
    return runner.Fail(kExitUsage, arguments.error + "\n\n" + kUsage);
}

}  // namespace cmdline
