#include "app/CommandLine.h"

#include <algorithm>

#include "backup/RegFile.h"

namespace cmdline {

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

Arguments Parse(const std::vector<std::u16string>& args) {
    Arguments parsed;
    for (const std::u16string& arg : args)
        if (IsSwitch(arg) && SwitchName(arg) == u"quiet") parsed.quiet = true;
    if (args.empty()) return parsed;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        if (!IsSwitch(arg)) {
            // A path with spaces that was not quoted arrives in pieces.
            return Usage(parsed, "\"" + regfile::Ascii(arg) +
                                     "\" is not understood. Put a path that holds spaces in "
                                     "quotes.");
        }
        const std::u16string name = SwitchName(arg);
        if (name == u"quiet") continue;
        if (name != u"export" && name != u"import")
            return Usage(parsed, "The switch " + regfile::Ascii(arg) + " is not known.");
        if (parsed.command != Command::kWindow)
            return Usage(parsed, "Give either /export or /import, once.");
        // The file must follow its switch; a switch there means it was left out.
        if (i + 1 == args.size() || args[i + 1].empty() || IsSwitch(args[i + 1]))
            return Usage(parsed, regfile::Ascii(arg) + " needs the name of a file.");
        parsed.command = name == u"export" ? Command::kExport : Command::kImport;
        parsed.file = args[++i];
    }
    if (parsed.command == Command::kWindow)
        return Usage(parsed, "Give /export or /import with the name of a file.");
    return parsed;
}

}  // namespace cmdline
