#include "app/CommandLine.h"

#include <algorithm>

#include "backup/RegFile.h"
#include "common/Text.h"

namespace app {

using profiles::Arguments;
using profiles::Command;

using common::Cat;

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

Arguments Usage(Arguments parsed, std::string why) {
    parsed.command = Command::kUsage;
    parsed.error = std::move(why);
    return parsed;
}

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

Arguments Parse(const std::vector<std::u16string>& args,
                const std::function<std::string(const std::u16string&)>& shownBy) {
    const auto shown = [&](const std::u16string& text) {
        return shownBy ? shownBy(text) : backup::regfile::Ascii(text);
    };
    Arguments parsed;
    for (const std::u16string& arg : args) {
        if (!IsSwitch(arg)) continue;
        const std::u16string name = SwitchName(arg);
        if (name == u"quiet") parsed.quiet = true;
        // Asking for the usage is no mistake, whatever else is there.
        if (name == u"?") parsed.command = Command::kHelp;
    }
    if (args.empty() || parsed.command == Command::kHelp) return parsed;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        if (!IsSwitch(arg)) {
            // A file before any switch: dropped on the program, or typed
            // without its switch.
            if (parsed.command == Command::kWindow) {
                const std::string file = shown(arg);
                return Usage(parsed, Cat({"\"", file,
                                          "\" was given without a switch. To import it, use "
                                          "Dovrane.exe /import \"",
                                          file,
                                          "\"; to export the settings to it, Dovrane.exe "
                                          "/export \"",
                                          file, "\"."}));
            }
            // After the file: a path with spaces that was not quoted arrives
            // in pieces.
            std::u16string whole = parsed.file;
            for (std::size_t j = i; j < args.size() && !IsSwitch(args[j]); ++j)
                whole += u" " + args[j];
            return Usage(parsed,
                         Cat({"\"", shown(arg),
                              "\" is not understood. A path that holds spaces must be in quotes: "
                              "Dovrane.exe ",
                              parsed.command == Command::kExport ? "/export" : "/import", " \"",
                              shown(whole), "\"."}));
        }
        const std::u16string name = SwitchName(arg);
        if (name == u"quiet") continue;
        if (name != u"export" && name != u"import")
            return Usage(parsed, Cat({"The switch ", shown(arg), " is not known."}));
        if (parsed.command != Command::kWindow)
            return Usage(parsed, "Give either /export or /import, once.");
        // The file must follow its switch; a switch there means it was left out.
        if (i + 1 == args.size() || args[i + 1].empty() || IsSwitch(args[i + 1]))
            return Usage(parsed, Cat({shown(arg), " needs the name of a file."}));
        parsed.command = name == u"export" ? Command::kExport : Command::kImport;
        parsed.file = args[++i];
    }
    if (parsed.command == Command::kWindow)
        return Usage(parsed, "Give /export or /import with the name of a file.");
    return parsed;
}

}  // namespace app
