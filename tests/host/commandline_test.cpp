// How the command line is read: switches, files and what is refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace {

using cmdline::Command;

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
    };
    for (const auto& c : cases) {
        const cmdline::Arguments parsed = cmdline::Parse(c.args);
        SCOPED_TRACE(c.args.empty() ? std::string("(none)") : std::to_string(c.args.size()));
        EXPECT_EQ(parsed.command, c.command);
        EXPECT_EQ(parsed.quiet, c.quiet);
        if (c.command == Command::kUsage)
            EXPECT_FALSE(parsed.error.empty());
        else
            EXPECT_EQ(parsed.file, c.file);
    }
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
        EXPECT_EQ(cmdline::HasArguments(c.line), c.has)
            << std::string(c.line, c.line + std::char_traits<char16_t>::length(c.line));
}

}  // namespace
