// Profiles: the export and the import over the in-memory registry, files held in memory and
// recorded message boxes.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/CommandLine.h"
#include "backup/Managed.h"
#include "profiles/Profiles.h"
#include "registry/MemoryRegistry.h"
#include "registry/modReg.h"
#include "settings/modTweaks.h"
#include "support/MemoryFiles.h"
#include "support/TestDoubles.h"

namespace {

using modTweaks::Tweak;
using profiles::Command;

using testing_doubles::MemoryFiles;

constexpr char16_t kBackups[] = u"C:\\AppData\\Dovrane\\Backups";
constexpr char16_t kBackupFile[] = u"C:\\AppData\\Dovrane\\Backups\\Dovrane 2026-12-07 140509.reg";
constexpr char16_t kProfile[] = u"C:\\Profiles\\room 12.reg";

class CommandLineRun : public ::testing::Test {
  protected:
    int Run(reg::MemoryRegistry& registry, const std::vector<std::u16string>& args) {
        const backup::Clock now = [] { return backup::LocalTime{2026, 12, 7, 14, 5, 9}; };
        profiles::Environment env{registry, files, now, backupFolder, prompter, {}};
        return profiles::Run(env, app::Parse(args));
    }
    std::vector<std::int32_t> Reads(reg::MemoryRegistry& registry) {
        testing_doubles::FakeUserName user{"jo"};
        std::vector<std::int32_t> reads;
        for (std::size_t i = 0; i < modTweaks::kTweakCount; ++i)
            reads.push_back(modTweaks::Read({registry, user}, static_cast<Tweak>(i)));
        return reads;
    }
    std::string LastBox() const { return prompter.boxes.empty() ? "" : prompter.boxes.back().text; }
    // A profile with `body` after its header, put where /import finds it.
    void PutProfile(const std::string& body) {
        std::vector<std::uint8_t> bytes = backup::regfile::FileHeader();
        const auto rest = backup::regfile::LittleEndian(backup::regfile::FromAscii(body));
        bytes.insert(bytes.end(), rest.begin(), rest.end());
        files.files[kProfile] = bytes;
    }

    MemoryFiles files;
    std::u16string backupFolder = kBackups;
    testing_doubles::Log log;
    testing_doubles::RecordingPrompter prompter{log};
};

TEST_F(CommandLineRun, AnExportedProfileImportsIntoAnotherRegistryAndReadsTheSame) {
    reg::MemoryRegistry from, to;
    testing_doubles::FakeUserName user{"jo"};
    // A mix of states, set as the boxes would set them.
    for (Tweak t : {Tweak::kNumLock, Tweak::kEncryptMenu, Tweak::kAdminOnWelcome, Tweak::kKeepRas})
        modTweaks::Write({from, user}, t, true);
    for (Tweak t : {Tweak::kCleanupWizard, Tweak::kClearPageFile, Tweak::kLowSpaceChecks})
        modTweaks::Write({from, user}, t, false);
    to.PutDword(reg::kLocalMachine, modTweaks::RowOf(Tweak::kClearPageFile).keyPath,
                "ClearPageFileAtShutdown", 1);

    EXPECT_EQ(Run(from, {u"/export", kProfile}), profiles::kExitOk);
    ASSERT_TRUE(files.files.count(kProfile));
    const backup::regfile::ReadResult profile = backup::regfile::Read(files.files[kProfile]);
    ASSERT_TRUE(backup::managed::CheckProfile(profile).ok);
    const auto comment = backup::regfile::LittleEndian(u"; Dovrane settings profile.");
    EXPECT_NE(std::search(files.files[kProfile].begin(), files.files[kProfile].end(),
                          comment.begin(), comment.end()),
              files.files[kProfile].end());

    EXPECT_EQ(Run(to, {u"/import", kProfile}), 0);
    // One box confirms it, naming the file, what it carries and the backup.
    ASSERT_EQ(prompter.boxes.size(), 2u);
    EXPECT_EQ(prompter.boxes[0].style, shell::kMbIconInformation);
    EXPECT_EQ(
        prompter.boxes[0].text.rfind("The settings were exported to C:\\Profiles\\room 12.reg.", 0),
        0u);
    EXPECT_EQ(prompter.boxes[1].style, shell::kMbIconInformation);
    EXPECT_NE(LastBox().find("room 12.reg was imported: every setting it carries holds"),
              std::string::npos)
        << LastBox();
    EXPECT_NE(LastBox().find("\nEnable Clear Page File @ Shutdown\n"), std::string::npos);
    EXPECT_NE(LastBox().find("saved in C:\\AppData\\Dovrane\\Backups\\Dovrane 2026-12-07 "
                             "140509.reg"),
              std::string::npos)
        << LastBox();
    // Again: nothing changes, nothing is backed up, and the box says so.
    EXPECT_EQ(Run(to, {u"/import", kProfile}), 0);
    EXPECT_NE(LastBox().find("so nothing was changed"), std::string::npos) << LastBox();
    std::vector<std::int32_t> want = Reads(from), got = Reads(to);
    // The current account is not carried: it stays as it was.
    const auto current = static_cast<std::size_t>(Tweak::kCurrentUserOnWelcome);
    want.erase(want.begin() + current);
    got.erase(got.begin() + current);
    EXPECT_EQ(got, want);

    // The page file's earlier state is in the run's backup, which the
    // registry editor can put back.
    ASSERT_TRUE(files.files.count(kBackupFile));
    const backup::regfile::ReadResult backup = backup::regfile::Read(files.files[kBackupFile]);
    ASSERT_TRUE(backup::managed::CheckBackup(backup, u"jo").ok);
    bool pageFile = false;
    for (const backup::regfile::Entry& e : backup.entries)
        pageFile |= e.name == u"ClearPageFileAtShutdown" && e.data[0] == 1;
    EXPECT_TRUE(pageFile);
}

TEST_F(CommandLineRun, ARefusedFileChangesNothingAndSaysWhichLine) {
    const std::string keyboard = "[HKEY_USERS\\.DEFAULT\\Control Panel\\Keyboard]\r\n";
    const std::string good = keyboard + "\"InitialKeyboardIndicators\"=\"2\"\r\n\r\n";
    const struct {
        std::string body;
        const char* line;
    } cases[] = {
        {good + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Evil]\r\n\"x\"=dword:00000001\r\n", "Line 6: "},
        {good + "[HKEY_USERS\\.DEFAULT\\Control Panel\\Keyboard\r\n", "Line 6: "},
        {good + keyboard + "\"InitialKeyboardIndicators\"=dword:00000002\r\n", "Line 7: "},
        // A wrong type names the one expected.
        {good + "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
                "Desktop\\CleanupWiz]\r\n\"NoRun\"=\"1\"\r\n",
         "Line 7: HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
         "Desktop\\CleanupWiz\\NoRun must be a dword value (dword:0000000N), not a string."},
        {good + "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
                "Desktop\\CleanupWiz]\r\n\"NoRun\"=hex(4):01,00\r\n",
         "NoRun must be a dword value (dword:0000000N), not 2 bytes."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        reg::MemoryRegistry registry;
        PutProfile(c.body);
        EXPECT_EQ(Run(registry, {u"/import", kProfile}), profiles::kExitRefused);
        EXPECT_FALSE(registry.HasKey(reg::kUsers, ".DEFAULT\\Control Panel\\Keyboard"));
        EXPECT_FALSE(files.files.count(kBackupFile));
        EXPECT_NE(LastBox().find("room 12.reg was not imported, and nothing was changed"),
                  std::string::npos);
        EXPECT_NE(LastBox().find(c.line), std::string::npos) << LastBox();
    }
    const std::size_t boxes = prompter.boxes.size();
    reg::MemoryRegistry registry;
    EXPECT_EQ(Run(registry, {u"/import", kProfile, u"/quiet"}), profiles::kExitRefused);
    EXPECT_EQ(prompter.boxes.size(), boxes);
}

TEST_F(CommandLineRun, ExitsWithTheNumberOfSettingsThatDidNotTake) {
    // A limited account: the machine's settings refuse, the user's take.
    reg::MemoryRegistry registry;
    registry.AddKey(reg::kLocalMachine, "SOFTWARE");
    registry.AddKey(reg::kLocalMachine, "SYSTEM");
    registry.Deny(reg::kLocalMachine, "SOFTWARE", reg::kKeySetValue | reg::kKeyCreateSubKey);
    registry.Deny(reg::kLocalMachine, "SYSTEM", reg::kKeySetValue | reg::kKeyCreateSubKey);
    reg::MemoryRegistry source;
    testing_doubles::FakeUserName user{"jo"};
    for (std::size_t i = 0; i < modTweaks::kTweakCount; ++i)
        modTweaks::Write({source, user}, static_cast<Tweak>(i), true);
    ASSERT_EQ(Run(source, {u"/export", kProfile}), 0);

    EXPECT_EQ(Run(registry, {u"/import", kProfile}), 4);  // page file, encrypt, admin, RAS
    EXPECT_EQ(Reads(registry)[static_cast<std::size_t>(Tweak::kLowSpaceChecks)], 1);
    const std::string box = LastBox();
    EXPECT_NE(box.find("4 settings of C:\\Profiles\\room 12.reg did not take"), std::string::npos)
        << box;
    EXPECT_NE(box.find("Enable Clear Page File @ Shutdown"), std::string::npos) << box;
    EXPECT_EQ(box.find("Enable NumLock"), std::string::npos) << box;

    // With nowhere to save backups, nothing is changed at all: the backup's
    // failure, not the settings'.
    files.failing[kBackups] = files::kAccessDenied;
    reg::MemoryRegistry fresh;
    EXPECT_EQ(Run(fresh, {u"/import", kProfile}), profiles::kExitFile);
    EXPECT_NE(LastBox().find("nothing was changed: the backup file could not be made in "
                             "C:\\AppData\\Dovrane\\Backups: access is denied"),
              std::string::npos)
        << LastBox();
    EXPECT_EQ(Run(fresh, {u"/import", kProfile, u"-QUIET"}), profiles::kExitFile);
    reg::MemoryRegistry untouched;
    EXPECT_EQ(Reads(fresh), Reads(untouched));
    EXPECT_FALSE(fresh.HasKey(reg::kCurrentUser,
                              "Software\\Microsoft\\Windows\\CurrentVersion\\"
                              "Policies\\Explorer"));
    backupFolder.clear();
    EXPECT_EQ(Run(fresh, {u"/import", kProfile}), profiles::kExitFile);
    EXPECT_NE(LastBox().find("Application Data"), std::string::npos);
}

// NumLock's value also holds Caps Lock (1) and Scroll Lock (4) at start-up:
// an import changes NumLock's bit alone, as the box does. A profile that
// holds already changes nothing and makes no backup file.
TEST_F(CommandLineRun, NumLockKeepsTheOtherKeysBits) {
    const std::string keyboard = "[HKEY_USERS\\.DEFAULT\\Control Panel\\Keyboard]\r\n";
    const struct {
        const char* before;
        const char* file;
        const char* after;
    } cases[] = {{"5", "2", "7"}, {"7", "0", "5"}, {"x", "2", "2"}, {"1", "-2", "3"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before + std::string(" with ") + c.file);
        reg::MemoryRegistry registry;
        registry.PutSz(reg::kUsers, ".DEFAULT\\Control Panel\\Keyboard",
                       "InitialKeyboardIndicators", c.before);
        PutProfile(keyboard + "\"InitialKeyboardIndicators\"=\"" + c.file + "\"\r\n");
        files.files.erase(kBackupFile);
        EXPECT_EQ(Run(registry, {u"/import", kProfile}), profiles::kExitOk) << LastBox();
        std::string now;
        modReg::ReadValue(registry, reg::kUsers, ".DEFAULT\\Control Panel\\Keyboard",
                          "InitialKeyboardIndicators", now);
        EXPECT_EQ(now, c.after);
        EXPECT_TRUE(files.files.count(kBackupFile));
        // Again: it holds, so nothing is written and no file is made.
        files.files.erase(kBackupFile);
        EXPECT_EQ(Run(registry, {u"/import", kProfile}), profiles::kExitOk);
        EXPECT_FALSE(files.files.count(kBackupFile));
    }
}

TEST_F(CommandLineRun, FileAndUsageFailuresHaveTheirOwnStatus) {
    reg::MemoryRegistry registry;
    files.failing[kProfile] = files::kAccessDenied;
    EXPECT_EQ(Run(registry, {u"/export", kProfile}), profiles::kExitFile);
    EXPECT_EQ(LastBox(),
              "The settings could not be exported to C:\\Profiles\\room 12.reg: access is denied.");
    EXPECT_EQ(Run(registry, {u"/import", kProfile}), profiles::kExitFile);
    EXPECT_NE(LastBox().find("could not be read: access is denied"), std::string::npos);
    EXPECT_EQ(Run(registry, {u"/export", u"C:\\My", u"Profiles.reg"}), profiles::kExitUsage);
    EXPECT_NE(LastBox().find("in quotes: Dovrane.exe /export \"C:\\My Profiles.reg\""),
              std::string::npos)
        << LastBox();
    EXPECT_NE(LastBox().find(profiles::kUsage), std::string::npos);
    EXPECT_EQ(prompter.boxes.back().style, shell::kMbIconError);
    // A folder is named as one, whichever way it is given.
    files.folders.insert(u"C:\\Profiles");
    EXPECT_EQ(Run(registry, {u"/import", u"C:\\Profiles"}), profiles::kExitFile);
    EXPECT_EQ(LastBox(),
              "C:\\Profiles is a folder, not a file. Give the settings profile's file: "
              "Dovrane.exe /import FILE.");
    EXPECT_EQ(Run(registry, {u"/export", u"C:\\Profiles"}), profiles::kExitFile);
    EXPECT_NE(LastBox().find("for example C:\\Profiles\\Dovrane.reg."), std::string::npos);
    EXPECT_FALSE(files.files.count(u"C:\\Profiles"));
    // The usage asked for is no failure.
    EXPECT_EQ(Run(registry, {u"/?"}), profiles::kExitOk);
    EXPECT_EQ(prompter.boxes.back().style, shell::kMbIconInformation);
    EXPECT_EQ(LastBox().rfind(profiles::kUsage, 0), 0u);
    const std::size_t boxes = prompter.boxes.size();
    EXPECT_EQ(Run(registry, {u"/export", kProfile, u"/quiet"}), profiles::kExitFile);
    EXPECT_EQ(Run(registry, {u"/quiet", u"/bogus"}), profiles::kExitUsage);
    EXPECT_EQ(Run(registry, {u"-?", u"/quiet"}), profiles::kExitOk);
    EXPECT_EQ(prompter.boxes.size(), boxes);
}

}  // namespace
