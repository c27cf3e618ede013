// The template against the settings table and the help text, and the .adm
// checker against the faults it is there to catch.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "AdmChecker.h"
#include "registry/RegistryApi.h"
#include "tools/admgen/AdmTemplate.h"
#include "tools/hlpc/SourceReader.h"

namespace admgen {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::SizeIs;

std::string ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

const hlpc::HelpProject& Help() {
    static const hlpc::HelpProject help = hlpc::ReadSource(ReadFile(DOVRANE_HELP_SOURCE));
    return help;
}

const std::string& Built() {
    static const std::string file = ReadFile(DOVRANE_ADM_FILE);
    return file;
}

TEST(AdmTemplate, BuiltFileIsCurrentAndWellFormed) {
    EXPECT_EQ(Built(), MakeTemplate(ProgramSettings(), Help()));
    EXPECT_THAT(ReadAdm(Built()).faults, IsEmpty());
}

// What each setting must be in the editor, written out by hand from what the
// program stores: the wizard's box names the "do not run" switch's 0, the
// Encrypt item's off state deletes its value, KeepRas stores its number as text.
struct Expected {
    const char* cls;
    const char* on;
    const char* off;
};
const std::map<std::string, Expected> kExpected = {
    {"EncryptionContextMenu", {"MACHINE", "NUMERIC 1", "DELETE"}},
    {"NoRun", {"USER", "NUMERIC 0", "NUMERIC 1"}},
    {"ClearPageFileAtShutdown", {"MACHINE", "NUMERIC 1", "NUMERIC 0"}},
    {"Administrator", {"MACHINE", "NUMERIC 1", "NUMERIC 0"}},
    {"KeepRasConnections", {"MACHINE", "\"1\"", "\"0\""}},
    {"NoLowDiskSpaceChecks", {"USER", "NUMERIC 1", "NUMERIC 0"}},
};

TEST(AdmTemplate, EachSettingIsOnePolicyWithItsKeyValueAndData) {
    const AdmReading adm = ReadAdm(Built());
    ASSERT_THAT(adm.policies, SizeIs(kExpected.size()));
    std::vector<std::string> leftOut;
    for (const Setting& s : ProgramSettings()) {
        const modTweaks::Row& row = *s.row;
        const hlpc::Topic* topic = nullptr;
        for (const hlpc::Topic& t : Help().topics)
            if (t.mapNumber == s.helpTopic) topic = &t;
        ASSERT_NE(topic, nullptr);
        if (row.valueName == nullptr || kExpected.count(row.valueName) == 0) {
            leftOut.push_back(topic->title);
            continue;
        }
        SCOPED_TRACE(row.valueName);
        const Expected& want = kExpected.at(row.valueName);
        int found = 0;
        for (const AdmPolicy& p : adm.policies) {
            if (p.valueName != row.valueName) continue;
            ++found;
            EXPECT_EQ(p.cls, want.cls);
            EXPECT_EQ(p.keyName, row.keyPath);
            EXPECT_EQ(p.valueOn, want.on);
            EXPECT_EQ(p.valueOff, want.off);
            // A plain name, not the box's caption; an explanation that says
            // what each state of the policy does, not what a box does.
            ASSERT_NE(s.policy, nullptr);
            EXPECT_EQ(adm.strings.at(p.name), s.policy->name);
            EXPECT_NE(adm.strings.at(p.name), topic->title);
            EXPECT_THAT(adm.strings.at(p.explain),
                        AllOf(HasSubstr("Registry value: " + p.valueName), HasSubstr("Enabled: "),
                              HasSubstr("\\n\\nDisabled: "), HasSubstr("\\n\\nNot Configured: "),
                              Not(HasSubstr("Checked")), Not(HasSubstr("box"))));
            EXPECT_EQ(adm.strings.at(p.supported), "At least Windows XP");
        }
        EXPECT_EQ(found, 1);
    }
    // NumLock lives under HKEY_USERS and keeps the other bits of its number;
    // the current account's value is named after each user.
    EXPECT_THAT(leftOut, ::testing::ElementsAre("Enable NumLock @ Startup",
                                                "Display Current Account on Welcome Screen"));
    const std::string& category = adm.strings.at("DovraneCategory_Explain");
    EXPECT_THAT(category,
                AllOf(HasSubstr("- Enable NumLock @ Startup: it lies under HKEY_USERS"),
                      HasSubstr("profiles"),
                      HasSubstr("- Display Current Account on Welcome Screen: its value is "
                                "named after the user")));
}

// One made-up setting and a help text for it, to see what the writer refuses.
std::string MakeWith(const modTweaks::Row& row, const std::string& text) {
    const hlpc::HelpProject help = hlpc::ReadSource(".topic IDH_X 7\n.title The setting\nText.\n");
    const PolicyText policy = {"Set the setting", text.c_str(), "on.", "off.", "off.", "at once."};
    return MakeTemplate({{&row, 7, &policy}}, help);
}

const modTweaks::Row kRow = {"The setting",
                             7,
                             reg::kLocalMachine,
                             "Software\\Test",
                             "Value",
                             reg::kRegDword,
                             1,
                             0,
                             false,
                             0,
                             modTweaks::ReadTest::kBit0Set,
                             0,
                             0,
                             0};

TEST(AdmTemplate, TextsBecomeStringsTheEditorReadsAsWritten) {
    const AdmReading adm = ReadAdm(MakeWith(kRow, "Says \"on\" in C:\\Temp.\n- one"));
    EXPECT_THAT(adm.faults, IsEmpty());
    EXPECT_THAT(adm.strings.at("Value_Explain"),
                AllOf(HasSubstr("Says 'on' in C:\\Temp.\\n- one\\n\\nEnabled: on."),
                      // A value outside the Policies keys stays: Not Configured says so.
                      HasSubstr("Not Configured: the registry is left as it is")));
    EXPECT_THROW(MakeTemplate({{&kRow, 7}}, Help()), AdmError);  // no policy text
    // A backslash before a small letter would read as an escape such as \n.
    EXPECT_THROW(MakeWith(kRow, "In C:\\new."), AdmError);
    EXPECT_THROW(MakeWith(kRow, std::string(kMaxExplainLength, 'x')), AdmError);
    const PolicyText policy = {"Set it", "It.", "on.", "off.", "off.", "at once."};
    EXPECT_THROW(MakeTemplate({{&kRow, 99, &policy}}, Help()), AdmError);  // no such topic
    EXPECT_THROW(MakeTemplate({{&kRow, 2, &policy}, {&kRow, 3, &policy}}, Help()),
                 AdmError);  // one name twice
}

TEST(AdmChecker, FindsEachFaultInTheBuiltFile) {
    struct Case {
        std::string from, to, fault;
    };
    const std::vector<Case> cases = {
        {"  END POLICY\r\n", "", "not understood here: POLICY"},
        {"END CATEGORY\r\n", "", "not closed"},
        {"  #endif\r\n", "", "[strings] inside an open block"},
        {"POLICY !!NoRun", "POLICY !!Nothing", "!!Nothing is not in [strings]"},
        {"    KEYNAME \"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\"\r\n", "",
         "without KEYNAME"},
        {"    VALUENAME \"NoRun\"\r\n", "", "without VALUENAME"},
        {"VALUEON NUMERIC 1", "VALUEON NUMERIC one", "not understood here: VALUEON"},
        {"KEYNAME \"", "KEYNAME \"" + std::string(kMaxAdmLine, 'x'), "too long"},
        {"NoRun=\"Run", "NoRun=\"" + std::string(kMaxTitleLength, 'x'), "NoRun is too long"},
        {"    #if version >= 4\r\n      SUPPORTED", "      SUPPORTED",
         "SUPPORTED outside #if version >= 4"},
        {"Desktop Cleanup", "\"Desktop\" Cleanup", "not one quoted text"},
        {"CLASS USER\r\n", "CLASS USER\n", "CR LF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        std::string file = Built();
        const auto at = file.find(c.from);
        ASSERT_NE(at, std::string::npos);
        file.replace(at, c.from.size(), c.to);
        EXPECT_THAT(ReadAdm(file).faults, Contains(HasSubstr(c.fault)));
    }
}

}  // namespace
}  // namespace admgen
