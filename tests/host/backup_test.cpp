// Backups before changes and Undo, through the settings' own writers and the
// Run List's deletion on the in-memory registry, with the files in memory.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "backup/Backup.h"
#include "backup/Restore.h"
#include "registry/MemoryRegistry.h"
#include "registry/modReg.h"
#include "settings/modTweaks.h"
#include "support/MemoryFiles.h"
#include "support/TestDoubles.h"

namespace {

using backup::regfile::Entry;
using modTweaks::Tweak;

using testing_doubles::MemoryFiles;

const std::u16string kFolder = u"C:\\Data\\Dovrane\\Backups";
const std::u16string kFile = kFolder + u"\\Dovrane 2026-12-07 090501.reg";
const std::string kRunMru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

std::u16string U(const char* text) {
    return backup::regfile::FromAscii(text);
}

class BackupTest : public ::testing::Test {
  protected:
    std::optional<reg::MemoryRegistry::Value> Get(Tweak t) {
        const modTweaks::Row& row = modTweaks::RowOf(t);
        return memory.Get(row.root, row.keyPath, row.valueName ? row.valueName : "jo");
    }
    modTweaks::WriteResult Set(Tweak t, bool on) {
        const modTweaks::Seams seams{backed, user};
        return modTweaks::Write(seams, t, on);
    }
    // The file's entries after the header, as read back.
    std::vector<Entry> Saved() {
        const backup::regfile::ReadResult read = backup::regfile::Read(files.files[kFile]);
        EXPECT_TRUE(read.ok) << read.errorLine << ": " << read.error;
        std::vector<Entry> entries;
        for (const Entry& e : read.entries)
            if (e.kind != Entry::Kind::kKey) entries.push_back(e);
        return entries;
    }
    Entry StateOf(Tweak t, std::uint32_t type, std::vector<std::uint8_t> data) {
        const modTweaks::Row& row = modTweaks::RowOf(t);
        return Entry::Value(row.root, U(row.keyPath), U(row.valueName), type, std::move(data));
    }

    reg::MemoryRegistry memory;
    MemoryFiles files;
    backup::BackupFile file{files, testing_doubles::TestNow, kFolder};
    backup::UndoStack undo;
    backup::BackedUpRegistry backed{memory, file, &undo};
    testing_doubles::FakeUserName user{"jo"};
    std::vector<std::pair<reg::Key, std::u16string>> removedKeys;
    backup::ApplyContext context{
        u"jo", [this](reg::Key root, const std::u16string& path, std::u16string*) {
            removedKeys.emplace_back(root, path);
            return reg::kSuccess;
        }};
};

TEST_F(BackupTest, TheStateBeforeAChangeIsOnTheDiskBeforeTheChange) {
    memory.PutDword(reg::kLocalMachine, modTweaks::RowOf(Tweak::kClearPageFile).keyPath,
                    "ClearPageFileAtShutdown", 0);
    int writes = 0;
    files.onWrite = [&] {
        ++writes;
        EXPECT_EQ(Get(Tweak::kClearPageFile)->data, (std::vector<std::uint8_t>{0, 0, 0, 0}));
    };
    EXPECT_TRUE(Set(Tweak::kClearPageFile, true).held());
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(file.Path(), kFile);
    EXPECT_EQ(Saved(),
              (std::vector<Entry>{StateOf(Tweak::kClearPageFile, reg::kRegDword, {0, 0, 0, 0})}));
    EXPECT_EQ(memory.OpenHandles(), 0u);
}

TEST_F(BackupTest, AWriteThatLeavesTheValueAsItWasMakesNoFile) {
    memory.PutSz(reg::kUsers, modTweaks::RowOf(Tweak::kNumLock).keyPath,
                 "InitialKeyboardIndicators", "2");
    EXPECT_TRUE(Set(Tweak::kNumLock, true).held());       // the load's rewrite
    EXPECT_TRUE(Set(Tweak::kEncryptMenu, false).held());  // deletes a value that is not there
    EXPECT_TRUE(files.files.empty());
    EXPECT_TRUE(file.Path().empty());
}

TEST_F(BackupTest, ABackupThatCannotBeWrittenStopsTheChangeAndSaysWhy) {
    memory.PutDword(reg::kCurrentUser, modTweaks::RowOf(Tweak::kLowSpaceChecks).keyPath,
                    "NoLowDiskSpaceChecks", 0);
    files.failWith = files::kDiskFull;
    {
        backup::UndoStack::Action action(undo);
        const modTweaks::WriteResult result = Set(Tweak::kLowSpaceChecks, true);
        EXPECT_FALSE(result.held());
        EXPECT_EQ(result.reads, 0);
    }
    EXPECT_EQ(Get(Tweak::kLowSpaceChecks)->data, (std::vector<std::uint8_t>{0, 0, 0, 0}));
    EXPECT_NE(backed.TakeFailure().find("the disk is full"), std::string::npos);
    EXPECT_TRUE(backed.TakeFailure().empty());  // told once
    EXPECT_FALSE(undo.CanUndo());
    // A missing key is not created either.
    EXPECT_FALSE(Set(Tweak::kCleanupWizard, true).held());
    EXPECT_FALSE(memory.HasKey(reg::kCurrentUser, modTweaks::RowOf(Tweak::kCleanupWizard).keyPath));

    files.failWith = files::kOk;
    EXPECT_TRUE(Set(Tweak::kLowSpaceChecks, true).held());
    EXPECT_EQ(Saved().size(), 1u);
}

// A double-click on a backup never removes a key: the registry editor would
// take the whole tree with it, and whatever was put there since.
TEST_F(BackupTest, AKeyAWriterMakesIsSavedAsItsValuesDeletionAndEachThingOnceARun) {
    const char* wiz = modTweaks::RowOf(Tweak::kCleanupWizard).keyPath;
    memory.AddKey(reg::kCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer");
    memory.PutSz(reg::kUsers, modTweaks::RowOf(Tweak::kNumLock).keyPath,
                 "InitialKeyboardIndicators", "0");
    EXPECT_TRUE(Set(Tweak::kCleanupWizard, true).held());  // makes Desktop\CleanupWiz
    EXPECT_TRUE(Set(Tweak::kCleanupWizard, false).held());
    EXPECT_TRUE(Set(Tweak::kNumLock, true).held());
    EXPECT_TRUE(Set(Tweak::kNumLock, false).held());
    EXPECT_EQ(Saved(), (std::vector<Entry>{
                           Entry::DeleteValue(reg::kCurrentUser, U(wiz), u"NoRun"),
                           StateOf(Tweak::kNumLock, reg::kRegSz, backup::regfile::SzData(u"0"))}));
    // Undo knows the key was missing, and removes it once empty.
    // Desktop is missing too, but a writer makes only CleanupWiz on purpose:
    // a key Dovrane does not own is never removed, at worst left empty.
    undo.Begin();
    EXPECT_TRUE(Set(Tweak::kLowSpaceChecks, true).held());  // makes Policies\Explorer
    undo.End();
    EXPECT_TRUE(backup::Undo(backed, undo, context).complete());
    EXPECT_EQ(removedKeys,
              (decltype(removedKeys){
                  {reg::kCurrentUser, U(modTweaks::RowOf(Tweak::kLowSpaceChecks).keyPath)}}));
    for (const Entry& e : Saved()) EXPECT_NE(e.kind, Entry::Kind::kRemoveKey);
}

TEST_F(BackupTest, UndoTakesBackActionsNewestFirstWithTypeAndData) {
    const modTweaks::Row& numLock = modTweaks::RowOf(Tweak::kNumLock);
    const modTweaks::Row& encrypt = modTweaks::RowOf(Tweak::kEncryptMenu);
    const modTweaks::Row& lowSpace = modTweaks::RowOf(Tweak::kLowSpaceChecks);
    memory.PutSz(reg::kUsers, numLock.keyPath, numLock.valueName, "0");
    memory.PutDword(reg::kLocalMachine, encrypt.keyPath, encrypt.valueName, 1);
    memory.AddKey(reg::kCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies");
    // Run history as the shell stores it, one with a type of its own.
    const std::vector<std::uint8_t> cmd = {'c', 'm', 'd', '\\', '1', 0};
    const std::vector<std::uint8_t> odd = {'x', 0, 'y'};
    memory.Put(reg::kCurrentUser, kRunMru, "a", reg::kRegSz, cmd);
    memory.Put(reg::kCurrentUser, kRunMru, "b", reg::kRegExpandSz, odd);

    {
        backup::UndoStack::Action tick(undo);
        Set(Tweak::kNumLock, true);
    }
    {
        backup::UndoStack::Action selectNone(undo);
        Set(Tweak::kEncryptMenu, false);
        Set(Tweak::kLowSpaceChecks, true);  // makes Policies\Explorer
    }
    {
        backup::UndoStack::Action apply(undo);
        modReg::DeleteValue(backed, reg::kCurrentUser, kRunMru, "a");
        modReg::DeleteValue(backed, reg::kCurrentUser, kRunMru, "b");
    }
    EXPECT_EQ(undo.Size(), 3u);

    EXPECT_TRUE(backup::Undo(backed, undo, context).complete());
    EXPECT_EQ(memory.Get(reg::kCurrentUser, kRunMru, "a")->data, cmd);
    EXPECT_EQ(memory.Get(reg::kCurrentUser, kRunMru, "b")->type, reg::kRegExpandSz);
    EXPECT_EQ(memory.Get(reg::kCurrentUser, kRunMru, "b")->data, odd);

    EXPECT_TRUE(backup::Undo(backed, undo, context).complete());
    EXPECT_EQ(memory.Get(reg::kLocalMachine, encrypt.keyPath, encrypt.valueName)->data,
              (std::vector<std::uint8_t>{1, 0, 0, 0}));
    EXPECT_FALSE(memory.Get(reg::kCurrentUser, lowSpace.keyPath, lowSpace.valueName));
    EXPECT_EQ(removedKeys, (decltype(removedKeys){{reg::kCurrentUser, U(lowSpace.keyPath)}}));

    EXPECT_TRUE(backup::Undo(backed, undo, context).complete());
    EXPECT_EQ(memory.Get(reg::kUsers, numLock.keyPath, numLock.valueName)->data,
              (std::vector<std::uint8_t>{'0', 0}));
    EXPECT_FALSE(undo.CanUndo());
    EXPECT_EQ(memory.OpenHandles(), 0u);
    // The undo made no action of its own; the file still gives back the state
    // from before the run.
    EXPECT_EQ(Saved().size(), 5u);
}

TEST_F(BackupTest, AConfirmationAnsweredNoLeavesNothingToUndo) {
    // The box was unchecked and the question answered No: the handler puts
    // the box back and writes "shown" over a setting that reads as shown.
    {
        backup::UndoStack::Action action(undo);
        EXPECT_TRUE(Set(Tweak::kCurrentUserOnWelcome, true).held());
    }
    EXPECT_FALSE(undo.CanUndo());
    // Answered Yes: the account's value is written, and Undo removes it again.
    {
        backup::UndoStack::Action action(undo);
        EXPECT_TRUE(Set(Tweak::kCurrentUserOnWelcome, false).held());
    }
    ASSERT_TRUE(undo.CanUndo());
    EXPECT_TRUE(backup::Undo(backed, undo, context).complete());
    EXPECT_FALSE(Get(Tweak::kCurrentUserOnWelcome));
}

// What cannot be put back is named, and never stands in the way of the
// actions before it.
TEST_F(BackupTest, AnUndoThatCannotBeCompletedNamesWhatItCouldNotRestoreAndGoesOn) {
    const modTweaks::Row& row = modTweaks::RowOf(Tweak::kClearPageFile);
    memory.PutDword(reg::kLocalMachine, row.keyPath, row.valueName, 0);
    memory.PutDword(reg::kCurrentUser, modTweaks::RowOf(Tweak::kLowSpaceChecks).keyPath,
                    "NoLowDiskSpaceChecks", 0);
    for (Tweak t : {Tweak::kLowSpaceChecks, Tweak::kClearPageFile}) {
        backup::UndoStack::Action action(undo);
        Set(t, true);
    }
    memory.Deny(reg::kLocalMachine, row.keyPath, reg::kKeySetValue);
    const backup::ApplyReport report = backup::Undo(backed, undo, context);
    ASSERT_EQ(report.failed.size(), 1u);
    EXPECT_EQ(report.failed[0].name, U(row.valueName));
    EXPECT_EQ(undo.Size(), 1u);
    EXPECT_TRUE(backup::Undo(backed, undo, context).complete());
    EXPECT_EQ(Get(Tweak::kLowSpaceChecks)->data, (std::vector<std::uint8_t>{0, 0, 0, 0}));
    EXPECT_FALSE(undo.CanUndo());
}

// An installer's account in UserList, below the SpecialAccounts key Dovrane
// made: undoing the tick leaves both keys to it, and the undo is complete.
TEST_F(BackupTest, AKeyWeMadeThatNowHoldsAnothersSubkeyIsLeftAndTheUndoCompletes) {
    const std::string userList = modTweaks::RowOf(Tweak::kAdminOnWelcome).keyPath;
    const std::string special = userList.substr(0, userList.rfind('\\'));
    memory.AddKey(reg::kLocalMachine, special.substr(0, special.rfind('\\')));
    {
        backup::UndoStack::Action action(undo);
        EXPECT_TRUE(Set(Tweak::kAdminOnWelcome, true).held());
    }
    memory.PutDword(reg::kLocalMachine, userList + "\\Hidden", "x", 1);  // a subkey of its own
    memory.PutDword(reg::kLocalMachine, userList, "svc", 0);
    const backup::ApplyContext real{u"jo", backup::RemoveIfEmpty(backed)};
    const backup::ApplyReport report = backup::Undo(backed, undo, real);
    EXPECT_TRUE(report.complete()) << report.why;
    EXPECT_FALSE(Get(Tweak::kAdminOnWelcome));
    EXPECT_TRUE(memory.Get(reg::kLocalMachine, userList, "svc"));
    EXPECT_TRUE(memory.HasKey(reg::kLocalMachine, userList + "\\Hidden"));

    // Only the subkey now: UserList is removed, SpecialAccounts stays for it.
    memory.PutDword(reg::kLocalMachine, special + "\\Other", "y", 1);
    EXPECT_EQ(modReg::DeleteValue(memory, reg::kLocalMachine, userList, "svc"), reg::kSuccess);
    EXPECT_EQ(memory.RegDeleteKeyW(reg::kLocalMachine, U((userList + "\\Hidden").c_str()).c_str()),
              reg::kSuccess);
    EXPECT_EQ(backup::Apply(backed, Entry::RemoveKey(reg::kLocalMachine, U(special.c_str())), real),
              reg::kSuccess);
    EXPECT_FALSE(memory.HasKey(reg::kLocalMachine, userList));
    EXPECT_TRUE(memory.HasKey(reg::kLocalMachine, special));
    // A key that may not be deleted at all is still a failure.
    memory.Deny(reg::kLocalMachine, special, reg::kDelete);
    EXPECT_EQ(backup::RemoveIfEmpty(memory)(reg::kLocalMachine, U(special.c_str()), nullptr),
              reg::kAccessDenied);
    EXPECT_EQ(memory.OpenHandles(), 0u);
}

// The user tidies the backups folder while Dovrane runs: the next change
// writes the file again with everything it held, once told.
TEST_F(BackupTest, ABackupFileDeletedDuringTheRunIsWrittenAgainWhole) {
    memory.PutDword(reg::kCurrentUser, modTweaks::RowOf(Tweak::kLowSpaceChecks).keyPath,
                    "NoLowDiskSpaceChecks", 0);
    memory.PutDword(reg::kLocalMachine, modTweaks::RowOf(Tweak::kClearPageFile).keyPath,
                    "ClearPageFileAtShutdown", 0);
    EXPECT_TRUE(Set(Tweak::kLowSpaceChecks, true).held());
    const std::vector<Entry> first = Saved();
    for (bool sameValue : {true, false}) {
        files.files.erase(kFile);
        int writes = 0;
        files.onWrite = [&] { ++writes; };
        EXPECT_TRUE(
            Set(sameValue ? Tweak::kLowSpaceChecks : Tweak::kClearPageFile, !sameValue).held());
        EXPECT_EQ(writes, 1);
        EXPECT_TRUE(file.TakeRewritten());
        EXPECT_FALSE(file.TakeRewritten());
    }
    EXPECT_EQ(Saved(), (std::vector<Entry>{first[0], StateOf(Tweak::kClearPageFile, reg::kRegDword,
                                                             {0, 0, 0, 0})}));
}

// Restore and Undo of a backup with thousands of values (bench/regfile.sh
// measures their time: in proportion, not to its square).
TEST_F(BackupTest, ThousandsOfValuesAreBackedUpAndUndone) {
    std::vector<Entry> entries;
    for (int i = 0; i < 10000; ++i) {
        // Keys of 100 values: the in-memory registry looks names up one by one.
        const std::u16string path = U(("Software\\T\\K" + std::to_string(i / 100)).c_str());
        entries.push_back(Entry::Value(reg::kCurrentUser, path, U(std::to_string(i).c_str()),
                                       reg::kRegDword, {1, 0, 0, 0}));
    }
    EXPECT_TRUE(backup::ApplyAll(backed, undo, entries, context).complete());
    EXPECT_TRUE(backup::Undo(backed, undo, context).complete());
    EXPECT_GT(files.files[kFile].size(), 10000u * 40);
}

TEST_F(BackupTest, AValueTheFileCannotNameExactlyIsLeftAlone) {
    memory.PutSz(reg::kCurrentUser, kRunMru, "a\nb", "x");  // a line break
    EXPECT_EQ(modReg::DeleteValue(backed, reg::kCurrentUser, kRunMru, "a\nb"), backup::kNotExact);
    // Through the ANSI calls a name is exact only when it is ASCII.
    EXPECT_EQ(modReg::DeleteValue(backed, reg::kCurrentUser, kRunMru, "\xe9"), backup::kNotExact);
    EXPECT_FALSE(backed.TakeFailure().empty());
    EXPECT_EQ(memory.ValueNames(reg::kCurrentUser, kRunMru).size(), 1u);
    EXPECT_TRUE(files.files.empty());
}

TEST_F(BackupTest, WideNamesAndTextAreBackedUpAndUndoneExactly) {
    const std::u16string mru = U(kRunMru.c_str());
    const std::u16string greek = u"\u03b1\u03b2", cyrillic = u"\u0436";
    const std::vector<std::uint8_t> command = backup::regfile::SzData(u"\u0436\u0443\u0440\\1");
    memory.PutW(reg::kCurrentUser, mru, greek, reg::kRegSz, command);
    memory.PutW(reg::kCurrentUser, mru, cyrillic, reg::kRegSz,
                backup::regfile::SzData(u"caf\u00e9\\1"));
    // ANSI text that is not ASCII: its previous state is still read exactly.
    memory.PutSz(reg::kCurrentUser, kRunMru, "c", "\xe9t\xe9");
    {
        backup::UndoStack::Action apply(undo);
        reg::UniqueKey key =
            reg::UniqueKey::Open(backed, reg::kCurrentUser, mru, reg::kKeySetValue);
        ASSERT_TRUE(key);
        EXPECT_EQ(backed.RegDeleteValueW(key.get(), greek.c_str()), reg::kSuccess);
        EXPECT_EQ(backed.RegSetValueExW(key.get(), cyrillic.c_str(), 0, reg::kRegDword,
                                        std::vector<std::uint8_t>{1, 0, 0, 0}.data(), 4),
                  reg::kSuccess);
        EXPECT_EQ(backed.RegDeleteValueA(key.get(), "c"), reg::kSuccess);
    }
    EXPECT_EQ(Saved(),
              (std::vector<Entry>{Entry::Value(reg::kCurrentUser, mru, greek, reg::kRegSz, command),
                                  Entry::Value(reg::kCurrentUser, mru, cyrillic, reg::kRegSz,
                                               backup::regfile::SzData(u"caf\u00e9\\1")),
                                  Entry::Value(reg::kCurrentUser, mru, u"c", reg::kRegSz,
                                               backup::regfile::SzData(u"\u00e9t\u00e9"))}));
    EXPECT_TRUE(backup::Undo(backed, undo, context).complete());
    EXPECT_EQ(memory.GetW(reg::kCurrentUser, mru, greek)->data, command);
    EXPECT_EQ(memory.GetW(reg::kCurrentUser, mru, cyrillic)->type, reg::kRegSz);
    EXPECT_EQ(memory.Get(reg::kCurrentUser, kRunMru, "c")->data,
              (std::vector<std::uint8_t>{0xe9, 't', 0xe9, 0}));
    EXPECT_EQ(memory.OpenHandles(), 0u);
}

TEST_F(BackupTest, ADeletedKeyIsSavedWithItsValuesAndAnEmptyOneIsRemovedByTheHook) {
    const std::u16string wiz = U(modTweaks::RowOf(Tweak::kCleanupWizard).keyPath);
    memory.PutW(reg::kCurrentUser, wiz, u"\u03a9", reg::kRegDword, {2, 0, 0, 0});
    // A value the settings do not own keeps the key.
    const backup::RemoveEmptyKey remove = backup::RemoveIfEmpty(backed);
    EXPECT_EQ(remove(reg::kCurrentUser, wiz, nullptr), reg::kSuccess);
    EXPECT_TRUE(memory.GetW(reg::kCurrentUser, wiz, u"\u03c9"));
    {
        backup::UndoStack::Action action(undo);
        EXPECT_EQ(backed.RegDeleteKeyW(reg::kCurrentUser, wiz.c_str()), reg::kSuccess);
    }
    EXPECT_FALSE(memory.HasKey(reg::kCurrentUser, modTweaks::RowOf(Tweak::kCleanupWizard).keyPath));
    EXPECT_EQ(Saved(), (std::vector<Entry>{Entry::Value(reg::kCurrentUser, wiz, u"\u03a9",
                                                        reg::kRegDword, {2, 0, 0, 0})}));
    EXPECT_TRUE(backup::Undo(backed, undo, context).complete());
    EXPECT_TRUE(memory.GetW(reg::kCurrentUser, wiz, u"\u03a9"));

    // Emptied, the hook removes it.
    reg::Key key = reg::kNullKey;
    ASSERT_EQ(backed.RegOpenKeyExW(reg::kCurrentUser, wiz.c_str(), 0, reg::kKeySetValue, &key),
              reg::kSuccess);
    EXPECT_EQ(backed.RegDeleteValueW(key, u"\u03a9"), reg::kSuccess);
    EXPECT_EQ(backed.RegCloseKey(key), reg::kSuccess);
    EXPECT_EQ(remove(reg::kCurrentUser, wiz, nullptr), reg::kSuccess);
    EXPECT_FALSE(memory.HasKey(reg::kCurrentUser, modTweaks::RowOf(Tweak::kCleanupWizard).keyPath));
    EXPECT_EQ(remove(reg::kCurrentUser, wiz, nullptr), reg::kFileNotFound);
    EXPECT_EQ(memory.OpenHandles(), 0u);
}

TEST(BackupFileName, NeverOverwritesAnotherRunsFile) {
    MemoryFiles files;
    files.files[kFile] = {};
    backup::BackupFile file(files, testing_doubles::TestNow, kFolder);
    EXPECT_EQ(file.Append({Entry::DeleteValue(reg::kCurrentUser, u"K", u"v")}), files::kOk);
    EXPECT_EQ(file.Path(), kFolder + u"\\Dovrane 2026-12-07 090501 (2).reg");
    EXPECT_TRUE(files.files[kFile].empty());
}

}  // namespace
