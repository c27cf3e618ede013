// How the command line is read: switches, files and what is refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace {

using profiles::Command;

TEST(CommandLineParse, ReadsSwitchesInAnyCaseAndRefusesWhatItDoesNotKnow) {
    const struct {
        std::vector<std::u16string> args;
        Command command;
        std::u16string file;
        bool quiet;
    } cases[] = {
        {{}, Command::kWindow, u"", false},
        {{u"/export", u"a.reg"}, Command::kExport, u"a.reg", false},
        {{u"-IMPORT", u"C:\\My Profiles\\p.reg", u"/Quiet"},
         Command::kImport,
         u"C:\\My Profiles\\p.reg",
         true},
        {{u"-quiet", u"/Import", u"C:\\J\u00f6rg\\\u0436.reg"},
         Command::kImport,
         u"C:\\J\u00f6rg\\\u0436.reg",
         true},
        {{u"/export"}, Command::kUsage, u"", false},
        {{u"/export", u"/quiet"}, Command::kUsage, u"", true},  // the file was left out
        {{u"/export", u""}, Command::kUsage, u"", false},
        {{u"/import", u"C:\\My", u"Profiles\\p.reg"}, Command::kUsage, u"C:\\My", false},
        {{u"/frobnicate", u"a.reg"}, Command::kUsage, u"", false},
        {{u"/export", u"a.reg", u"/import", u"b.reg"}, Command::kUsage, u"a.reg", false},
        {{u"/quiet"}, Command::kUsage, u"", true},
        {{u"a.reg"}, Command::kUsage, u"", false},
        {{u"/", u"a.reg"}, Command::kUsage, u"", false},
        // The usage asked for wins over anything else.
        {{u"/?"}, Command::kHelp, u"", false},
        {{u"-?", u"/QUIET"}, Command::kHelp, u"", true},
        {{u"/import", u"/?"}, Command::kHelp, u"", false},
        {{u"/frobnicate", u"/?"}, Command::kHelp, u"", false},
    };
    for (const auto& c : cases) {
        const profiles::Arguments parsed = app::Parse(c.args);
        SCOPED_TRACE(c.args.empty() ? std::string("(none)") : std::to_string(c.args.size()));
        EXPECT_EQ(parsed.command, c.command);
        EXPECT_EQ(parsed.quiet, c.quiet);
        if (c.command == Command::kUsage)
            EXPECT_FALSE(parsed.error.empty());
        else
            EXPECT_EQ(parsed.file, c.file);
    }
}

// Each mistake is named for what it is.
TEST(CommandLineParse, NamesEachMistake) {
    const struct {
        std::vector<std::u16string> args;
        const char* error;
    } cases[] = {
        {{u"C:\\room.reg"},
         "\"C:\\room.reg\" was given without a switch. To import it, use Dovrane.exe /import "
         "\"C:\\room.reg\"; to export the settings to it, Dovrane.exe /export \"C:\\room.reg\"."},
        {{u"room.reg", u"/import", u"b.reg"},
         "\"room.reg\" was given without a switch. To import it, use Dovrane.exe /import "
         "\"room.reg\"; to export the settings to it, Dovrane.exe /export \"room.reg\"."},
        {{u"/import", u"C:\\My", u"Profiles\\p", u"1.reg", u"/quiet"},
         "\"Profiles\\p\" is not understood. A path that holds spaces must be in quotes: "
         "Dovrane.exe /import \"C:\\My Profiles\\p 1.reg\"."},
        {{u"/Bogus"}, "The switch /Bogus is not known."},
        {{u"/export", u"/quiet"}, "/export needs the name of a file."},
        {{u"/export", u"a", u"-import", u"b"}, "Give either /export or /import, once."},
        {{u"/quiet"}, "Give /export or /import with the name of a file."},
    };
    for (const auto& c : cases) {
        const profiles::Arguments parsed = app::Parse(c.args);
        EXPECT_EQ(parsed.command, Command::kUsage);
        EXPECT_EQ(parsed.error, c.error);
    }
    // A path is shown as the message box can show it.
    const auto shown = [](const std::u16string&) { return std::string("SHOWN"); };
    EXPECT_EQ(app::Parse({u"\u0436.reg"}, shown).error.rfind("\"SHOWN\" was given", 0), 0u);
}

// A plain start splits nothing (splitting loads the shell); anything after
// the program's name, quoted or not, is split as before.
TEST(CommandLineParse, SeesArgumentsOnlyAfterTheProgramsName) {
    const struct {
        const char16_t* line;
        bool has;
    } kLines[] = {
        {u"", false},
        {u"Dovrane.exe", false},
        {u"Dovrane.exe  \t ", false},
        {u"\"C:\\Program Files\\Dovrane\\Dovrane.exe\"", false},
        {u"\"C:\\Program Files\\Dovrane\\Dovrane.exe\" ", false},
        {u"\"C:\\Program Files\\Dovrane.exe /quiet", false},  // unclosed: all name
        {u"Dovrane.exe /export", true},
        {u"Dovrane.exe\t/quiet", true},
        {u"\"C:\\Program Files\\Dovrane\\Dovrane.exe\"/export x", true},
        {u"C:\\Dovrane\\Dovrane.exe \"\"", true},
    };
    for (const auto& c : kLines)
        EXPECT_EQ(app::HasArguments(c.line), c.has)
            << std::string(c.line, c.line + std::char_traits<char16_t>::length(c.line));
}

}  // namespace
