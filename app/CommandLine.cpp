#include "app/CommandLine.h"

#include <algorithm>

#include "app/version.h"
#include "registry/Backup.h"
#include "registry/Managed.h"
#include "registry/RegFile.h"
#include "registry/Restore.h"
#include "ui/TweaksTab.h"

namespace cmdline {

const char kUsage[] =
    "Dovrane.exe /export FILE [/quiet]\n"
    "Dovrane.exe /import FILE [/quiet]\n"
    "\n"
    "Put a FILE whose path holds spaces in quotes.";

namespace {

char16_t Lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
}

bool IsSwitch(const std::u16string& arg) {
    return arg.size() > 1 && (arg[0] == u'/' || arg[0] == u'-');
}

// The switch's name in lower case, without its / or -.
std::u16string SwitchName(const std::u16string& arg) {
    std::u16string name;
    for (std::size_t i = 1; i < arg.size(); ++i) name += Lower(arg[i]);
    return name;
}

std::string Ascii(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? char(c) : '?';
    return out;
}

Arguments Usage(Arguments parsed, std::string why) {
    parsed.command = Command::kUsage;
    parsed.error = std::move(why);
    return parsed;
}

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

        backup::BackupFile backupFile(env_.backupFiles, env_.backupFolder);
        backup::UndoStack undo;
        backup::BackedUpRegistry backed(env_.registry, backupFile, &undo);
        const backup::ApplyReport report =
            backup::ApplyAll(backed, undo, file.entries, backup::ApplyContext{});
        // Decision 5: what counts is what the registry holds now, read
        // without the backup in the way.
        const std::vector<modTweaks::Tweak> missed = managed::NotHeld(env_.registry, file.entries);
        if (missed.empty()) return kExitOk;

        std::string text = std::to_string(missed.size()) +
                           (missed.size() == 1 ? " setting" : " settings") + " of " + Shown() +
                           " did not take:\n";
        for (modTweaks::Tweak t : missed) text += std::string("\n") + ui::TweaksTab::Caption(t);
        text += "\n\n";
        text += report.why.empty()
                    ? "Windows did not accept the change. Settings of the whole computer need "
                      "an administrator."
                    : "The change was not made because " + report.why + ".";
        if (!backupFile.Path().empty())
            text += "\n\nWhat was changed is saved in " + env_.shown(backupFile.Path()) + ".";
        return Fail(static_cast<int>(missed.size()), text);
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

bool HasArguments(std::u16string_view commandLine) {
    size_t end = 0;
    if (!commandLine.empty() && commandLine[0] == u'"') {
        end = commandLine.find(u'"', 1);
        end = end == std::u16string_view::npos ? commandLine.size() : end + 1;
    } else {
        end = std::min(commandLine.find_first_of(u" \t"), commandLine.size());
    }
    return commandLine.find_first_not_of(u" \t", end) != std::u16string_view::npos;
}

Arguments Parse(const std::vector<std::u16string>& args) {
    Arguments parsed;
    for (const std::u16string& arg : args)
        if (IsSwitch(arg) && SwitchName(arg) == u"quiet") parsed.quiet = true;
    if (args.empty()) return parsed;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        if (!IsSwitch(arg)) {
            // A path with spaces that was not quoted arrives in pieces.
            return Usage(parsed, "\"" + Ascii(arg) +
                                     "\" is not understood. Put a path that holds spaces in "
                                     "quotes.");
        }
        const std::u16string name = SwitchName(arg);
        if (name == u"quiet") continue;
        if (name != u"export" && name != u"import")
            return Usage(parsed, "The switch " + Ascii(arg) + " is not known.");
        if (parsed.command != Command::kWindow)
            return Usage(parsed, "Give either /export or /import, once.");
        // The file must follow its switch; a switch there means it was left out.
        if (i + 1 == args.size() || args[i + 1].empty() || IsSwitch(args[i + 1]))
            return Usage(parsed, Ascii(arg) + " needs the name of a file.");
        parsed.command = name == u"export" ? Command::kExport : Command::kImport;
        parsed.file = args[++i];
    }
    if (parsed.command == Command::kWindow)
        return Usage(parsed, "Give /export or /import with the name of a file.");
    return parsed;
}

int Run(Environment& environment, const Arguments& arguments) {
    if (!environment.shown) environment.shown = Ascii;
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
