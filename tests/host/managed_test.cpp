// Files Dovrane is asked to apply: a backup for Restore, a profile for
// /import. Only what Dovrane manages passes; the refusal names the line.
#include <gtest/gtest.h>

#include <optional>

#include "backup/Managed.h"
#include "backup/Restore.h"
#include "registry/MemoryRegistry.h"
#include "settings/modTweaks.h"
#include "support/MemoryFiles.h"
#include "support/TestDoubles.h"

namespace {

using backup::regfile::Entry;
using modTweaks::Tweak;

std::vector<std::uint8_t> File(const std::string& body) {
    std::vector<std::uint8_t> bytes = backup::regfile::FileHeader();
    const std::vector<std::uint8_t> rest =
        backup::regfile::LittleEndian(backup::regfile::FromAscii(body));
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

const std::string kWinlogon =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const std::string kUserList = kWinlogon + "\\SpecialAccounts\\UserList";

TEST(CheckBackup, TakesTheSettingsTheRunHistoryAndTheKeysWritersMake) {
    const backup::managed::CheckResult check = backup::managed::CheckBackup(
        backup::regfile::Read(
            File("[-" + kWinlogon +
                 "\\SpecialAccounts]\r\n\r\n"
                 "[" +
                 kUserList +
                 "]\r\n\"Administrator\"=dword:00000000\r\n"
                 "\"jo\"=-\r\n\r\n"
                 "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                 "Explorer\\RunMRU]\r\n\"a\"=\"cmd\\\\1\"\r\n\"MRUList\"=\"a\"\r\n\r\n"
                 "[HKEY_USERS\\.DEFAULT\\Control Panel\\Keyboard]\r\n"
                 "\"InitialKeyboardIndicators\"=hex(2):32,00,00,00\r\n")),
        u"jo");
    ASSERT_TRUE(check.ok) << check.errorLine << ": " << check.error;
    EXPECT_EQ(check.summary.values, 5u);
    EXPECT_EQ(check.summary.runHistory, 2u);
    EXPECT_EQ(check.summary.keyRemovals, 1u);
    EXPECT_EQ(check.summary.settings, (std::vector<Tweak>{Tweak::kNumLock, Tweak::kAdminOnWelcome,
                                                          Tweak::kCurrentUserOnWelcome}));
}

TEST(CheckBackup, RefusesAnythingElseWithItsLine) {
    const struct {
        std::string body;
        int line;
    } cases[] = {
        {"[" + kWinlogon + "]\r\n\"KeepRasConnections\"=\"1\"\r\n\"Shell\"=\"evil.exe\"\r\n", 5},
        {"[" + kWinlogon + "]\r\n@=\"x\"\r\n", 4},
        {"\r\n[HKEY_CURRENT_USER\\Software\\Evil]\r\n", 4},
        {"[-" + kWinlogon + "]\r\n", 3},  // a key of Windows, never removed
        {"[-HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n", 3},
        {"[" + kUserList + "]\r\n\"bob\"=dword:00000000\r\n", 4},                 // another account
        {"[" + kUserList + "]\r\n\"jo\"=dword:00000000\r\n\"x\"=hex:zz\r\n", 5},  // syntax
    };
    for (const auto& c : cases) {
        const backup::managed::CheckResult check =
            backup::managed::CheckBackup(backup::regfile::Read(File(c.body)), u"jo");
        EXPECT_FALSE(check.ok) << c.body;
        EXPECT_EQ(check.errorLine, c.line) << c.body;
        EXPECT_FALSE(check.error.empty());
    }
}

TEST(Profile, ExportsTheSevenSettingsSoThatTheyReadTheSameElsewhere) {
    reg::MemoryRegistry source;
    testing_doubles::FakeUserName user{"jo"};
    const modTweaks::Seams seams{source, user};
    // Some set, some left missing, one stored in a form its writer never uses.
    modTweaks::Write(seams, Tweak::kNumLock, true);
    modTweaks::Write(seams, Tweak::kLowSpaceChecks, true);
    modTweaks::Write(seams, Tweak::kCurrentUserOnWelcome, false);
    source.PutDword(reg::kLocalMachine, modTweaks::RowOf(Tweak::kEncryptMenu).keyPath,
                    "EncryptionContextMenu", 7);

    const std::vector<std::uint8_t> bytes =
        backup::regfile::Write(backup::managed::ExportProfile(source));
    const backup::regfile::ReadResult read = backup::regfile::Read(bytes);
    const backup::managed::CheckResult check = backup::managed::CheckProfile(read);
    ASSERT_TRUE(check.ok) << check.errorLine << ": " << check.error;
    EXPECT_EQ(check.summary.settings.size(), 7u);
    EXPECT_EQ(check.summary.keyRemovals, 0u);

    // Imported into a fresh registry (as the registry editor would: keys made
    // as needed), every setting but the current account's reads the same.
    reg::MemoryRegistry target;
    target.AddKey(reg::kCurrentUser, "Software");
    for (const Entry& e : read.entries)
        EXPECT_EQ(backup::Apply(target, e, backup::ApplyContext{}), reg::kSuccess);
    const modTweaks::Seams fresh{target, user};
    for (std::size_t i = 0; i < modTweaks::kTweakCount; ++i) {
        const Tweak t = static_cast<Tweak>(i);
        if (t == Tweak::kCurrentUserOnWelcome) continue;
        EXPECT_EQ(modTweaks::Read(fresh, t), modTweaks::Read(seams, t)) << i;
    }
    EXPECT_EQ(modTweaks::Read(fresh, Tweak::kCurrentUserOnWelcome), 1);
    EXPECT_TRUE(backup::managed::NotHeld(target, read.entries).empty());
    // A setting that did not take is counted.
    target.PutDword(reg::kCurrentUser, modTweaks::RowOf(Tweak::kLowSpaceChecks).keyPath,
                    "NoLowDiskSpaceChecks", 0);
    EXPECT_EQ(backup::managed::NotHeld(target, read.entries),
              (std::vector<Tweak>{Tweak::kLowSpaceChecks}));
    // The comment saying so comes first.
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find(std::string("W\0e\0l\0c\0o\0m\0e", 13)), std::string::npos);
}

// A profile mirrors the machine: where the source holds no value, the
// target is left with none (Windows' default there too), not with what the
// box shows; NumLock carries its bit alone.
TEST(Profile, AValueIsWrittenOnlyWhereTheSourceHoldsOne) {
    using V = std::vector<std::uint8_t>;
    const auto row = [](Tweak t) { return modTweaks::RowOf(t); };
    const struct {
        Tweak tweak;
        std::optional<std::pair<std::uint32_t, V>> held;  // none: missing
        std::optional<V> written;                         // none: "name"=-
    } cases[] = {
        {Tweak::kCleanupWizard, std::nullopt, std::nullopt},  // reads on, yet missing
        {Tweak::kCleanupWizard, {{reg::kRegDword, {5, 0, 0, 0}}}, V{1, 0, 0, 0}},
        {Tweak::kClearPageFile, std::nullopt, std::nullopt},
        {Tweak::kClearPageFile, {{reg::kRegDword, {0, 0, 0, 0}}}, V{0, 0, 0, 0}},
        {Tweak::kKeepRas,
         {{reg::kRegSz, backup::regfile::SzData(u"1")}},
         backup::regfile::SzData(u"1")},
        {Tweak::kEncryptMenu, {{reg::kRegDword, {0, 0, 0, 0}}}, std::nullopt},  // off deletes
        // Caps Lock and Scroll Lock (1 and 4) stay behind; NumLock's bit goes.
        {Tweak::kNumLock,
         {{reg::kRegSz, backup::regfile::SzData(u"7")}},
         backup::regfile::SzData(u"2")},
        {Tweak::kNumLock,
         {{reg::kRegSz, backup::regfile::SzData(u"5")}},
         backup::regfile::SzData(u"0")},
        {Tweak::kNumLock, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        reg::MemoryRegistry source;
        const modTweaks::Row& r = row(c.tweak);
        if (c.held)
            source.PutW(r.root, backup::regfile::FromAscii(r.keyPath),
                        backup::regfile::FromAscii(r.valueName), c.held->first, c.held->second);
        const std::u16string name = backup::regfile::FromAscii(r.valueName);
        for (const Entry& e : backup::managed::ExportProfile(source)) {
            if (e.kind == Entry::Kind::kComment || e.name != name) continue;
            if (c.written) {
                EXPECT_EQ(e, Entry::Value(r.root, backup::regfile::FromAscii(r.keyPath), name,
                                          r.type, *c.written))
                    << r.caption;
            } else {
                EXPECT_EQ(e.kind, Entry::Kind::kDeleteValue) << r.caption;
            }
        }
    }
}

TEST(Profile, RefusesTheCurrentAccountWrongTypesAndAnythingElse) {
    const std::string keyboard = "[HKEY_USERS\\.Default\\Control Panel\\Keyboard]\r\n";
    const struct {
        std::string body;
        int line;
    } cases[] = {
        {"[" + kUserList + "]\r\n\"Administrator\"=dword:1\r\n\"jo\"=dword:0\r\n", 5},
        {keyboard + "\"InitialKeyboardIndicators\"=dword:00000002\r\n", 4},
        {"[" + kWinlogon + "]\r\n\"KeepRasConnections\"=hex(4):01,00\r\n", 4},
        {"[-" + kWinlogon + "\\SpecialAccounts]\r\n", 3},
        {"[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU]\r\n",
         3},
    };
    for (const auto& c : cases) {
        const backup::managed::CheckResult check =
            backup::managed::CheckProfile(backup::regfile::Read(File(c.body)));
        EXPECT_FALSE(check.ok) << c.body;
        EXPECT_EQ(check.errorLine, c.line) << c.body;
    }
    EXPECT_TRUE(backup::managed::CheckProfile(
                    backup::regfile::Read(File(keyboard + "\"InitialKeyboardIndicators\"="
                                                          "\"2\"\r\n")))
                    .ok);
}

TEST(Restore, PutsBackTheBackupAsOneActionThatCanBeUndone) {
    reg::MemoryRegistry memory;
    const modTweaks::Row& ras = modTweaks::RowOf(Tweak::kKeepRas);
    memory.PutSz(reg::kLocalMachine, ras.keyPath, ras.valueName, "0");
    testing_doubles::MemoryFiles files;
    backup::BackupFile file(files, testing_doubles::TestNow, u"C:\\B");
    backup::UndoStack undo;
    backup::BackedUpRegistry backed(memory, file, &undo);
    testing_doubles::FakeUserName user{"jo"};
    {
        backup::UndoStack::Action action(undo);
        modTweaks::Write(modTweaks::Seams{backed, user}, Tweak::kKeepRas, true);
    }
    const backup::regfile::ReadResult backupRead = backup::regfile::Read(files.files[file.Path()]);
    ASSERT_TRUE(backup::managed::CheckBackup(backupRead, u"jo").ok);

    const backup::ApplyReport report =
        backup::ApplyAll(backed, undo, backupRead.entries, backup::ApplyContext{u"jo", {}});
    EXPECT_TRUE(report.complete());
    EXPECT_EQ(memory.Get(reg::kLocalMachine, ras.keyPath, ras.valueName)->data,
              (std::vector<std::uint8_t>{'0', 0}));
    EXPECT_EQ(undo.Size(), 2u);
    EXPECT_TRUE(backup::Undo(backed, undo, backup::ApplyContext{u"jo", {}}).complete());
    EXPECT_EQ(memory.Get(reg::kLocalMachine, ras.keyPath, ras.valueName)->data,
              (std::vector<std::uint8_t>{'1', 0}));
}

// Both Welcome-screen settings make the same two keys: each is named once,
// the deepest first, and nothing above what the writers make.
TEST(CreatableKeys, EachOnceDeepestFirst) {
    const std::u16string winlogon = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    EXPECT_EQ(backup::managed::CreatableKeysUnder(reg::kLocalMachine, winlogon),
              (std::vector<std::u16string>{winlogon + u"\\SpecialAccounts\\UserList",
                                           winlogon + u"\\SpecialAccounts"}));
    EXPECT_TRUE(
        backup::managed::IsCreatableKey(reg::kLocalMachine, winlogon + u"\\SPECIALACCOUNTS"));
    EXPECT_FALSE(backup::managed::IsCreatableKey(reg::kLocalMachine, winlogon));
    EXPECT_TRUE(backup::managed::CreatableKeysUnder(reg::kUsers, u".Default").empty());
}

}  // namespace
