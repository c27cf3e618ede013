// The window's tabs through the backups, as the window wires them: each
// command one action, Undo taking it back and the tabs showing the registry
// again, the confirmation question's outcome, a backup that cannot be written,
// and Restore's checks and question.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "backup/RegFile.h"
#include "registry/MemoryRegistry.h"
#include "support/MemoryFiles.h"
#include "support/TestDoubles.h"
#include "ui/EditMenu.h"
#include "ui/RunListTab.h"
#include "ui/TweaksTab.h"

namespace {

using modTweaks::Tweak;
using ::testing::HasSubstr;

const std::u16string kFolder = u"C:\\Data\\Dovrane\\Backups";
const std::u16string kFile = kFolder + u"\\Dovrane 2026-12-07 090501.reg";
const std::string kRunMru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

class EditMenuTest : public ::testing::Test, public ui::EditView {
  public:
    EditMenuTest() {
        edit.AttachView(this);
        for (const auto& row : modTweaks::Rows()) memory.AddKey(row.root, row.keyPath);
        memory.PutDword(reg::kLocalMachine, modTweaks::RowOf(Tweak::kClearPageFile).keyPath,
                        "ClearPageFileAtShutdown", 3);  // on, in no encoding of ours
        memory.PutSz(reg::kCurrentUser, kRunMru, "a", "notepad\\1");
        memory.PutSz(reg::kCurrentUser, kRunMru, "b", "calc\\1");
        memory.PutSz(reg::kCurrentUser, kRunMru, "MRUList", "ab");
    }

    // The window's side of the Edit menu.
    std::u16string ChooseBackup(const std::u16string&) override { return chosen; }
    bool OpenFolder(const std::u16string& folder) override {
        opened.push_back(folder);
        return true;
    }
    void Reread() override {
        tweaks.Reread();
        runList.LoadRunList();
    }
    void UndoChanged(bool canUndo) override { greyed = !canUndo; }
    void Busy(const std::function<void()>& work) override {
        ++busy;
        inBusy = true;
        work();
        inBusy = false;
    }
    std::string Shown(const std::u16string& path) override {
        return std::string(path.begin(), path.end());
    }

    // Every value Dovrane manages, type and data, and whether each box agrees.
    std::map<std::string, std::string> Registry() const {
        std::map<std::string, std::string> state;
        for (const auto& row : modTweaks::Rows()) {
            const auto v = memory.Get(row.root, row.keyPath, row.valueName ? row.valueName : "jo");
            state[row.keyPath + std::string("\\") + (row.valueName ? row.valueName : "jo")] =
                v ? std::to_string(v->type) + ":" + std::string(v->data.begin(), v->data.end())
                  : "-";
        }
        for (const std::string& name : memory.ValueNames(reg::kCurrentUser, kRunMru))
            state["RunMRU\\" + name] = "present";
        return state;
    }
    void ExpectBoxesShowTheRegistry() {
        for (std::size_t i = 0; i < modTweaks::kTweakCount; ++i) {
            const Tweak t = static_cast<Tweak>(i);
            EXPECT_EQ(tweaks.Box(t).Value(), modTweaks::Read({memory, user}, t) == 1 ? 1 : 0)
                << ui::TweaksTab::Caption(t);
        }
        EXPECT_EQ(runList.Entries().size(),
                  memory.ValueNames(reg::kCurrentUser, kRunMru).size() - 1);
    }
    // A user's click on a box, as the window runs it.
    void Click(Tweak t) {
        edit.Act([&] { tweaks.Box(t).SetValue(1 - tweaks.Box(t).Value()); });
    }
    std::string Saved() {
        const std::vector<std::uint8_t>& bytes = files.files[kFile];
        std::string text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) text += char(bytes[i]);
        return text;
    }

    reg::MemoryRegistry memory;
    testing_doubles::MemoryFiles files;
    testing_doubles::FakeUserName user{"jo"};
    testing_doubles::RecordingPrompter prompter;
    testing_doubles::RecordingShutdown shutdown;
    int namings = 0;  // how often the menu asked where the backups go
    ui::EditMenu edit{
        memory, files,   testing_doubles::TestNow, [this] { return ++namings, kFolder; },
        user,   prompter};
    ui::TweaksTab tweaks{edit.Registry(), user, prompter};
    ui::RunListTab runList{edit.Registry(), prompter, shutdown};
    std::u16string chosen;
    std::vector<std::u16string> opened;
    bool greyed = true;
    int busy = 0;
    bool inBusy = false;
};

// Each kind of command is one action: Undo puts back all it changed, at once,
// and the boxes and the list show what the registry holds afterwards.
TEST_F(EditMenuTest, EachCommandIsOneActionThatUndoTakesBackWhole) {
    struct Command {
        const char* name;
        std::function<void(EditMenuTest&)> run;
    };
    const Command kCommands[] = {
        {"a plain box", [](EditMenuTest& t) { t.Click(Tweak::kLowSpaceChecks); }},
        {"the current account, Yes",
         [](EditMenuTest& t) {
             t.Click(Tweak::kCurrentUserOnWelcome);  // on, no question
             t.prompter.answer = shell::kIdYes;
             t.Click(Tweak::kCurrentUserOnWelcome);
         }},
        {"Select All",
         [](EditMenuTest& t) { t.edit.Act([&] { t.tweaks.cmdTwksSelectAll_Click(); }); }},
        {"Select None",
         [](EditMenuTest& t) { t.edit.Act([&] { t.tweaks.cmdTwksSelectNone_Click(); }); }},
        {"Run List Apply",
         [](EditMenuTest& t) {
             t.runList.cmdMRUNone_Click();
             t.edit.Act([&] { t.runList.cmdMRUApply_Click(); });
         }},
    };
    tweaks.Load();
    runList.LoadRunList();
    ASSERT_FALSE(edit.CanUndo()) << "the load is no action";
    for (const Command& c : kCommands) {
        SCOPED_TRACE(c.name);
        const auto before = Registry();
        c.run(*this);
        const std::size_t boxes = prompter.boxes.size();
        ASSERT_NE(Registry(), before);
        while (edit.CanUndo()) edit.mnuEditUndo_Click();
        EXPECT_EQ(Registry(), before);
        EXPECT_EQ(prompter.boxes.size(), boxes) << "Undo asks nothing";
        EXPECT_TRUE(greyed);
        ExpectBoxesShowTheRegistry();
        prompter.answer = shell::kIdNo;
    }
}

// What the registry saw is the action: unticking the current account and
// answering No changes nothing, so there is nothing to undo; Yes is undone
// to the account shown, without asking again.
TEST_F(EditMenuTest, TheConfirmationsOutcomeIsWhatUndoSees) {
    const modTweaks::Row& row = modTweaks::RowOf(Tweak::kCurrentUserOnWelcome);
    memory.PutDword(row.root, row.keyPath, "jo", 1);
    memory.PutDword(reg::kLocalMachine, modTweaks::RowOf(Tweak::kClearPageFile).keyPath,
                    "ClearPageFileAtShutdown", 1);
    tweaks.Load();  // rewrites what is on already: no backup, no file
    EXPECT_TRUE(files.files.empty());
    EXPECT_EQ(namings, 0) << "nor the folder's name (which may take the shell)";

    prompter.answer = shell::kIdNo;
    Click(Tweak::kCurrentUserOnWelcome);
    EXPECT_EQ(prompter.boxes.size(), 1u);
    EXPECT_FALSE(edit.CanUndo());
    EXPECT_TRUE(files.files.empty());

    prompter.answer = shell::kIdYes;
    Click(Tweak::kCurrentUserOnWelcome);
    EXPECT_EQ(memory.Get(row.root, row.keyPath, "jo")->data,
              (std::vector<std::uint8_t>{0, 0, 0, 0}));
    ASSERT_TRUE(edit.CanUndo());
    edit.mnuEditUndo_Click();
    EXPECT_EQ(memory.Get(row.root, row.keyPath, "jo")->data,
              (std::vector<std::uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(tweaks.Box(Tweak::kCurrentUserOnWelcome).Value(), 1);
    EXPECT_EQ(prompter.boxes.size(), 2u) << "Undo asks nothing";
    EXPECT_THAT(Saved(), HasSubstr("\"jo\"=dword:00000001"));
    EXPECT_EQ(namings, 1) << "the folder is named once";
}

// A backup that cannot be written: nothing changes, the boxes show the
// registry, and one message per action says why.
TEST_F(EditMenuTest, AChangeWithoutItsBackupIsNotMadeAndSaysWhyOnce) {
    tweaks.Load();
    runList.LoadRunList();
    const auto before = Registry();
    files.failWith = files::kDiskFull;
    edit.Act([&] { tweaks.cmdTwksSelectAll_Click(); });
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_THAT(prompter.boxes[0].text, HasSubstr("Disable Low Space Warnings - the backup file "
                                                  "could not be written: the disk is full."));
    EXPECT_EQ(Registry(), before);
    ExpectBoxesShowTheRegistry();

    runList.cmdMRUNone_Click();
    edit.Act([&] { runList.cmdMRUApply_Click(); });
    ASSERT_EQ(prompter.boxes.size(), 3u);  // why, then the restart question
    EXPECT_THAT(prompter.boxes[1].text, HasSubstr("the disk is full"));
    EXPECT_EQ(Registry(), before);
    EXPECT_EQ(runList.Entries().size(), 2u);
    EXPECT_FALSE(edit.CanUndo());
}

// An undo that cannot put a value back says which, and the next Undo goes on
// with the change before it.
TEST_F(EditMenuTest, AnUndoThatCannotFinishNamesWhatItCouldNotRestore) {
    tweaks.Load();
    const auto before = Registry();
    Click(Tweak::kEncryptMenu);
    Click(Tweak::kLowSpaceChecks);
    memory.Deny(reg::kCurrentUser, modTweaks::RowOf(Tweak::kLowSpaceChecks).keyPath,
                reg::kKeySetValue);
    edit.mnuEditUndo_Click();
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_THAT(prompter.boxes[0].text,
                HasSubstr("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                          "Policies\\Explorer\\NoLowDiskSpaceChecks"));
    EXPECT_THAT(prompter.boxes[0].text,
                HasSubstr("The next Undo takes back the change before it."));
    EXPECT_TRUE(edit.CanUndo());
    edit.mnuEditUndo_Click();
    EXPECT_EQ(prompter.boxes.size(), 1u);
    EXPECT_FALSE(edit.CanUndo());
    EXPECT_TRUE(greyed);
    auto now = Registry();
    const std::string low = modTweaks::RowOf(Tweak::kLowSpaceChecks).keyPath;
    now.erase(low + "\\NoLowDiskSpaceChecks");
    auto expected = before;
    expected.erase(low + "\\NoLowDiskSpaceChecks");
    EXPECT_EQ(now, expected);
}

// Restore: a file with anything Dovrane does not manage is refused with its
// line and changes nothing; a good one is summarised, applied on Yes, and
// undone as one action.
TEST_F(EditMenuTest, RestoreChecksAsksAndCanBeUndone) {
    tweaks.Load();
    const auto before = Registry();
    const std::u16string bad = u"C:\\bad.reg";
    files.files[bad] = backup::regfile::Write({backup::regfile::Entry::Value(
        reg::kCurrentUser, u"Software\\Other", u"x", reg::kRegDword, {1, 0, 0, 0})});
    chosen = bad;
    edit.mnuEditRestore_Click();
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_THAT(prompter.boxes[0].text, HasSubstr("was not restored, and nothing was changed"));
    EXPECT_THAT(prompter.boxes[0].text, HasSubstr("Line 3:"));
    EXPECT_EQ(Registry(), before);

    const std::u16string good = u"C:\\good.reg";
    const modTweaks::Row& low = modTweaks::RowOf(Tweak::kLowSpaceChecks);
    files.files[good] = backup::regfile::Write(
        {backup::regfile::Entry::Value(low.root, backup::regfile::FromAscii(low.keyPath),
                                       u"NoLowDiskSpaceChecks", reg::kRegDword, {1, 0, 0, 0}),
         backup::regfile::Entry::DeleteValue(reg::kCurrentUser, backup::regfile::FromAscii(kRunMru),
                                             u"a")});
    chosen = good;
    prompter.answers = {shell::kIdNo, shell::kIdYes};
    edit.mnuEditRestore_Click();
    EXPECT_EQ(Registry(), before) << "No restores nothing";
    edit.mnuEditRestore_Click();
    ASSERT_EQ(prompter.boxes.size(), 4u);
    EXPECT_THAT(prompter.boxes[2].text, HasSubstr("\nDisable Low Space Warnings: Off -> On\n"
                                                  "1 Run List entry put back"));
    EXPECT_EQ(prompter.boxes[2].helpContext, 19u);
    EXPECT_THAT(prompter.boxes[3].text, HasSubstr("C:\\good.reg has been restored."));
    EXPECT_EQ(tweaks.Box(Tweak::kLowSpaceChecks).Value(), 1);
    EXPECT_FALSE(memory.Get(reg::kCurrentUser, kRunMru, "a"));
    edit.mnuEditUndo_Click();
    EXPECT_EQ(Registry(), before);
    EXPECT_FALSE(edit.CanUndo());
}

// A restore and an undo read and write with the window busy (the wait
// cursor, off the interface thread), never in the middle of anything else.
TEST_F(EditMenuTest, RestoreAndUndoRunWithTheWindowBusy) {
    tweaks.Load();
    const std::u16string good = u"C:\\good.reg";
    const modTweaks::Row& low = modTweaks::RowOf(Tweak::kLowSpaceChecks);
    files.files[good] = backup::regfile::Write(
        {backup::regfile::Entry::Value(low.root, backup::regfile::FromAscii(low.keyPath),
                                       u"NoLowDiskSpaceChecks", reg::kRegDword, {1, 0, 0, 0})});
    chosen = good;
    prompter.answers = {shell::kIdYes};
    int writes = 0;
    files.onWrite = [&] {
        ++writes;
        EXPECT_TRUE(inBusy);
    };
    edit.mnuEditRestore_Click();
    EXPECT_EQ(busy, 2);  // reading, checking and comparing; applying after the question
    edit.mnuEditUndo_Click();
    EXPECT_EQ(busy, 3);
    EXPECT_EQ(writes, 1);  // the undo's state is in the file already
    EXPECT_FALSE(inBusy);
}

// The question lists what the file changes from what to what, whatever
// form it takes (a key removal included), and nothing it leaves as it reads.
TEST_F(EditMenuTest, RestoreListsEachChangeFromWhatToWhatAndOnlyThose) {
    tweaks.Load();
    const auto key = [](Tweak t) {
        return backup::regfile::FromAscii(modTweaks::RowOf(t).keyPath);
    };
    const std::u16string special =
        key(Tweak::kAdminOnWelcome).substr(0, key(Tweak::kAdminOnWelcome).rfind(u'\\'));
    memory.PutDword(reg::kLocalMachine, modTweaks::kUserList, "Administrator", 1);
    memory.PutDword(reg::kLocalMachine, modTweaks::kUserList, "jo", 0);
    memory.PutDword(reg::kLocalMachine, modTweaks::kUserList, "svc", 0);  // someone else's
    using backup::regfile::Entry;
    const struct {
        std::vector<Entry> file;
        std::string listed;  // empty: the backup matches
    } cases[] = {
        // An older backup's removal: both Welcome screen settings go back to
        // Windows' default (the administrator hidden, the account shown).
        {{Entry::RemoveKey(reg::kLocalMachine, special)},
         "\nDisplay Adminstrator Account on Welcome Screen: On -> Off\n"
         "Display Current Account on Welcome Screen: Off -> On\n\n"},
        // Data in another form that reads the same, and a deletion of what
        // is missing: nothing.
        {{Entry::Value(reg::kLocalMachine, key(Tweak::kClearPageFile), u"ClearPageFileAtShutdown",
                       reg::kRegDword, {1, 0, 0, 0}),
          Entry::DeleteValue(reg::kLocalMachine, key(Tweak::kEncryptMenu),
                             u"EncryptionContextMenu"),
          Entry::Value(reg::kCurrentUser, backup::regfile::FromAscii(kRunMru), u"a", reg::kRegSz,
                       backup::regfile::SzData(u"notepad\\1"))},
         ""},
        {{Entry::DeleteValue(reg::kLocalMachine, key(Tweak::kClearPageFile),
                             u"ClearPageFileAtShutdown"),
          Entry::Value(reg::kCurrentUser, backup::regfile::FromAscii(kRunMru), u"c", reg::kRegSz,
                       backup::regfile::SzData(u"cmd\\1")),
          Entry::Value(reg::kCurrentUser, backup::regfile::FromAscii(kRunMru), u"d", reg::kRegSz,
                       backup::regfile::SzData(u"x\\1"))},
         "\nEnable Clear Page File @ Shutdown: On -> Off\n2 Run List entries put back"},
    };
    for (const auto& c : cases) {
        prompter.boxes.clear();
        prompter.answers = {shell::kIdNo};
        files.files[u"C:\\b.reg"] = backup::regfile::Write(c.file);
        edit.RestoreFrom(u"C:\\b.reg");
        ASSERT_EQ(prompter.boxes.size(), 1u);
        if (c.listed.empty()) {
            EXPECT_EQ(prompter.boxes[0].text, "This backup matches the current settings.");
        } else {
            EXPECT_THAT(prompter.boxes[0].text, HasSubstr("It changes:\n" + c.listed));
        }
    }

    // Yes: the key holding someone else's value stays, and the confirmation
    // says why.
    prompter.boxes.clear();
    prompter.answers = {shell::kIdYes};
    files.files[u"C:\\b.reg"] = backup::regfile::Write(cases[0].file);
    edit.RestoreFrom(u"C:\\b.reg");
    ASSERT_EQ(prompter.boxes.size(), 2u);
    EXPECT_THAT(prompter.boxes[1].text,
                HasSubstr("C:\\b.reg has been restored.\n\nHKEY_LOCAL_MACHINE\\" +
                          std::string(modTweaks::kUserList) +
                          " still holds values Dovrane did not make, such as svc; it was left "
                          "in place."));
    EXPECT_TRUE(memory.Get(reg::kLocalMachine, modTweaks::kUserList, "svc"));
    EXPECT_FALSE(memory.Get(reg::kLocalMachine, modTweaks::kUserList, "jo"));
}

// The user deletes the backup file while the window is open: the next change
// writes it again whole, and says so once.
TEST_F(EditMenuTest, ABackupFileDeletedDuringTheRunIsWrittenAgainAndTheUserTold) {
    tweaks.Load();
    Click(Tweak::kLowSpaceChecks);
    const std::string first = Saved();
    files.files.erase(kFile);
    Click(Tweak::kLowSpaceChecks);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_THAT(prompter.boxes[0].text, HasSubstr("was deleted while Dovrane was running"));
    EXPECT_EQ(Saved(), first);
    Click(Tweak::kEncryptMenu);
    EXPECT_EQ(prompter.boxes.size(), 1u);
}

// The folder is made before Explorer is asked to show it; one that cannot be
// made is reported, and Explorer is not started on nothing.
TEST_F(EditMenuTest, OpenBackupFolderNeedsTheFolder) {
    edit.mnuEditOpenFolder_Click();
    EXPECT_EQ(opened, std::vector<std::u16string>{kFolder});
    files.failWith = files::kAccessDenied;
    edit.mnuEditOpenFolder_Click();
    EXPECT_EQ(opened.size(), 1u);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_THAT(prompter.boxes[0].text, HasSubstr("could not be made: access is denied"));
}

}  // namespace
