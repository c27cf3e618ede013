// The Tweaks tab's handlers on the in-memory registry, with message boxes
// answered from a script: the confirmation flows, Select All / None order,
// the load, and what the user is told when a setting cannot be changed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "registry/MemoryRegistry.h"
#include "support/TestDoubles.h"
#include "ui/TweaksTab.h"

namespace {

using modTweaks::Tweak;
using ::testing::HasSubstr;
using ::testing::Not;
using testing_doubles::FakeUserName;
using testing_doubles::Log;
using testing_doubles::Only;
using testing_doubles::RecordingPrompter;
using testing_doubles::RecordingRegistry;

constexpr const char* kUserList =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\SpecialAccounts\\UserList";
constexpr const char* kMemory =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
constexpr const char* kConfirm = "ask Display Current Account On Welcome Screen";
constexpr const char* kFailure = "ask Dovrane";

const Tweak kAll[] = {Tweak::kNumLock,       Tweak::kEncryptMenu,    Tweak::kCleanupWizard,
                      Tweak::kClearPageFile, Tweak::kAdminOnWelcome, Tweak::kCurrentUserOnWelcome,
                      Tweak::kKeepRas,       Tweak::kLowSpaceChecks};

// The on state of every setting, as writes show in the log.
const Log kAllOn = {
    "set InitialKeyboardIndicators=sz:\"2\\0\"",
    "set ClearPageFileAtShutdown=dword:1",
    "set NoRun=dword:0",
    "set EncryptionContextMenu=dword:1",
    "set Administrator=dword:1",
    "set alice=dword:1",
    "set KeepRasConnections=sz:\"1\\0\"",
    "set NoLowDiskSpaceChecks=dword:1",
};

class TweaksTabTest : public ::testing::Test {
  protected:
    // withKeys false: none of the settings' keys, as on a fresh Windows XP.
    explicit TweaksTabTest(bool withKeys = true) {
        if (withKeys)
            for (const auto& row : modTweaks::Rows()) memory.AddKey(row.root, row.keyPath);
    }
    ~TweaksTabTest() override { EXPECT_EQ(memory.OpenHandles(), 0u); }

    // Every setting on in the registry and every box checked, without writes.
    void AllOn() {
        for (Tweak t : kAll) {
            modTweaks::Write(modTweaks::Seams{memory, user}, t, true);
            tab.Box(t).Restore(1);
        }
        log.clear();
    }
    Log Events() { return Only(log, {"create", "set", "delete", "ask"}); }
    std::vector<int> Values() {
        std::vector<int> values;
        for (Tweak t : kAll) values.push_back(tab.Box(t).Value());
        return values;
    }
    void LimitedAccount() {
        memory.Deny(reg::kLocalMachine, "", reg::kKeyWrite);
        memory.Deny(reg::kUsers, "", reg::kKeyWrite);
    }

    reg::MemoryRegistry memory;
    Log log;
    RecordingRegistry api{memory, log};
    FakeUserName user{"alice"};
    RecordingPrompter prompter{log};
    ui::TweaksTab tab{api, user, prompter};
};

TEST_F(TweaksTabTest, UncheckingTheCurrentAccountAsksAndYesWritesOffOnce) {
    AllOn();
    prompter.answers = {shell::kIdYes};
    tab.Box(Tweak::kCurrentUserOnWelcome).SetValue(0);
    EXPECT_EQ(Events(), (Log{kConfirm, "set alice=dword:0"}));
    EXPECT_EQ(tab.Box(Tweak::kCurrentUserOnWelcome).Value(), 0);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    const RecordingPrompter::Box& box = prompter.boxes[0];
    EXPECT_EQ(box.text,
              "Changing this setting will remove the current user's name from the Windows XP "
              "Welcome Screen.  See help for  more information.  Are you sure you want to make "
              "this change?");
    EXPECT_EQ(box.caption, "Display Current Account On Welcome Screen");
    EXPECT_EQ(box.style, 16436u);
    EXPECT_EQ(box.helpContext, 15u);
}

TEST_F(TweaksTabTest, NoKeepsTheBoxCheckedAndWritesOnTwice) {
    AllOn();
    prompter.answers = {shell::kIdNo};
    tab.Box(Tweak::kCurrentUserOnWelcome).SetValue(0);
    EXPECT_EQ(Events(), (Log{kConfirm, "set alice=dword:1", "set alice=dword:1"}));
    EXPECT_EQ(tab.Box(Tweak::kCurrentUserOnWelcome).Value(), 1);
}

TEST_F(TweaksTabTest, AQuestionThatGetsNoYesIsTakenAsNo) {
    AllOn();
    prompter.answers = {0};  // the box could not be shown
    tab.Box(Tweak::kCurrentUserOnWelcome).SetValue(0);
    EXPECT_EQ(tab.Box(Tweak::kCurrentUserOnWelcome).Value(), 1);
    EXPECT_EQ(memory.Get(reg::kLocalMachine, kUserList, "alice")->data,
              std::vector<std::uint8_t>({1, 0, 0, 0}));
}

TEST_F(TweaksTabTest, CheckingTheCurrentAccountWritesOnWithoutAsking) {
    tab.Box(Tweak::kCurrentUserOnWelcome).SetValue(1);
    EXPECT_EQ(Events(), Log{"set alice=dword:1"});
}

TEST_F(TweaksTabTest, EachBoxWritesItsOwnSettingWithTheBoxsNewState) {
    tab.Box(Tweak::kLowSpaceChecks).SetValue(1);
    tab.Box(Tweak::kLowSpaceChecks).SetValue(0);
    tab.Box(Tweak::kEncryptMenu).SetValue(1);
    tab.Box(Tweak::kEncryptMenu).SetValue(0);
    tab.Box(Tweak::kCleanupWizard).SetValue(1);
    EXPECT_EQ(Events(), (Log{"set NoLowDiskSpaceChecks=dword:1", "set NoLowDiskSpaceChecks=dword:0",
                             "set EncryptionContextMenu=dword:1", "delete EncryptionContextMenu",
                             "set NoRun=dword:0"}));
}

TEST_F(TweaksTabTest, SelectAllFromNothingWritesEveryOnStateInItsOrderWithoutAsking) {
    tab.cmdTwksSelectAll_Click();
    EXPECT_EQ(Events(), kAllOn);
    EXPECT_EQ(Values(), std::vector<int>(8, 1));
}

TEST_F(TweaksTabTest, SelectingWhatIsAlreadyThereWritesNothing) {
    tab.cmdTwksSelectNone_Click();
    AllOn();
    tab.cmdTwksSelectAll_Click();
    EXPECT_EQ(Events(), Log{});
}

TEST_F(TweaksTabTest, SelectNoneAsksBetweenAdministratorAndKeepConnections) {
    AllOn();
    prompter.answers = {shell::kIdNo};
    tab.cmdTwksSelectNone_Click();
    EXPECT_EQ(
        Events(),
        (Log{"set InitialKeyboardIndicators=sz:\"0\\0\"", "set ClearPageFileAtShutdown=dword:0",
             "set NoRun=dword:1", "delete EncryptionContextMenu", "set Administrator=dword:0",
             kConfirm, "set alice=dword:1", "set alice=dword:1",
             "set KeepRasConnections=sz:\"0\\0\"", "set NoLowDiskSpaceChecks=dword:0"}));
    EXPECT_EQ(Values(), (std::vector<int>{0, 0, 0, 0, 0, 1, 0, 0}));
}

TEST_F(TweaksTabTest, LoadChecksWhatReadsAsOnAndWritesExactlyThoseAgain) {
    memory.PutDword(reg::kLocalMachine, kMemory, "ClearPageFileAtShutdown", 3);
    memory.PutSz(reg::kUsers, ".Default\\Control Panel\\Keyboard", "InitialKeyboardIndicators",
                 "2");
    memory.PutDword(reg::kLocalMachine, kUserList, "Administrator", 2);  // reads off
    tab.Load();
    EXPECT_EQ(Events(), (Log{"set InitialKeyboardIndicators=sz:\"2\\0\"",
                             "set ClearPageFileAtShutdown=dword:1", "set alice=dword:1"}));
    EXPECT_EQ(Values(), (std::vector<int>{1, 0, 0, 1, 0, 1, 0, 0}));
}

TEST_F(TweaksTabTest, ARefusedClickPutsTheBoxBackAndSaysWhyEachTime) {
    LimitedAccount();
    tab.Box(Tweak::kClearPageFile).SetValue(1);
    EXPECT_EQ(tab.Box(Tweak::kClearPageFile).Value(), 0);
    EXPECT_FALSE(memory.Get(reg::kLocalMachine, kMemory, "ClearPageFileAtShutdown"));
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].caption, "Dovrane");
    EXPECT_EQ(prompter.boxes[0].style, shell::kMbOk | shell::kMbIconExclamation);
    EXPECT_EQ(prompter.boxes[0].text,
              "This setting could not be changed:\n\n"
              "Enable Clear Page File @ Shutdown - changing it needs administrator rights.\n\n"
              "The boxes show the settings as Windows holds them now.");

    tab.Box(Tweak::kClearPageFile).SetValue(1);
    EXPECT_EQ(prompter.boxes.size(), 2u);
}

// The five settings only an administrator may change, each named in the
// message with its reason.
void ExpectTheAdministratorsSettingsNamed(const std::string& text) {
    for (const char* caption :
         {"Enable NumLock @ Startup", "Add Encrypt Item to Context Menu",
          "Enable Clear Page File @ Shutdown", "Display Adminstrator Account on Welcome Screen",
          "Keep Dial-Up Internet Connections Open During Fast User Switch"})
        EXPECT_THAT(text, HasSubstr(std::string(caption) + " - changing it needs administrator"));
}

TEST_F(TweaksTabTest, SelectAllForALimitedAccountTellsOnceWhichSettingsStayed) {
    LimitedAccount();
    tab.cmdTwksSelectAll_Click();
    EXPECT_EQ(Values(), (std::vector<int>{0, 0, 1, 0, 0, 1, 0, 1}));
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(Events().back(), kFailure);
    const std::string& text = prompter.boxes[0].text;
    ExpectTheAdministratorsSettingsNamed(text);
    EXPECT_THAT(text, Not(HasSubstr("Cleanup")));
    EXPECT_THAT(text, Not(HasSubstr("Current Account")));  // not hidden, so already as shown
    EXPECT_THAT(text, Not(HasSubstr("Low Space")));
}

TEST_F(TweaksTabTest, LoadingALimitedAccountsSettingsThatAreOnShowsNothing) {
    AllOn();
    for (Tweak t : kAll) tab.Box(t).Restore(0);  // a fresh window
    LimitedAccount();
    tab.Load();
    EXPECT_EQ(Values(), std::vector<int>(8, 1));
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(TweaksTabTest, ARefusedYesLeavesTheAccountShownAndSaysSo) {
    AllOn();
    LimitedAccount();
    prompter.answers = {shell::kIdYes};
    tab.Box(Tweak::kCurrentUserOnWelcome).SetValue(0);
    EXPECT_EQ(tab.Box(Tweak::kCurrentUserOnWelcome).Value(), 1);
    EXPECT_EQ(Events(), (Log{kConfirm, kFailure}));
    EXPECT_THAT(prompter.boxes[1].text,
                HasSubstr("Display Current Account on Welcome Screen - changing it needs "
                          "administrator rights."));
}

TEST_F(TweaksTabTest, WithoutALogonNameNothingIsWrittenForTheCurrentAccount) {
    user.fail = true;
    tab.Load();
    EXPECT_EQ(tab.Box(Tweak::kCurrentUserOnWelcome).Value(), 1);
    EXPECT_EQ(Events(), Log{});

    prompter.answers = {shell::kIdYes};
    tab.Box(Tweak::kCurrentUserOnWelcome).SetValue(0);
    EXPECT_EQ(tab.Box(Tweak::kCurrentUserOnWelcome).Value(), 1);
    EXPECT_EQ(Events(), (Log{kConfirm, kFailure}));
    EXPECT_THAT(prompter.boxes[1].text, HasSubstr("your logon name could not be read"));
    EXPECT_TRUE(memory.ValueNames(reg::kLocalMachine, kUserList).empty());
}

class FreshTweaksTab : public TweaksTabTest {
  protected:
    FreshTweaksTab() : TweaksTabTest(false) {}
};

TEST_F(FreshTweaksTab, TheLoadCreatesNoKeyAndATickCreatesItsOwn) {
    tab.Load();
    EXPECT_EQ(Values(), (std::vector<int>{0, 0, 0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(Events(), Log{});
    EXPECT_FALSE(memory.HasKey(reg::kLocalMachine, kUserList));

    tab.Box(Tweak::kAdminOnWelcome).SetValue(1);
    prompter.answers = {shell::kIdYes};
    tab.Box(Tweak::kCurrentUserOnWelcome).SetValue(0);
    EXPECT_EQ(Events(), (Log{"create " + std::string(kUserList) + " 0x3",
                             "set Administrator=dword:1", kConfirm, "set alice=dword:0"}));
    EXPECT_EQ(Values(), (std::vector<int>{0, 0, 0, 0, 1, 0, 0, 0}));
}

TEST_F(FreshTweaksTab, SelectAllForALimitedAccountCreatesOnlyItsOwnKeysAndSaysWhichStayed) {
    LimitedAccount();
    tab.cmdTwksSelectAll_Click();
    EXPECT_EQ(Values(), (std::vector<int>{0, 0, 1, 0, 0, 1, 0, 1}));
    ASSERT_EQ(prompter.boxes.size(), 1u);
    const std::string& text = prompter.boxes[0].text;
    ExpectTheAdministratorsSettingsNamed(text);
    EXPECT_TRUE(memory.HasKey(reg::kCurrentUser, modTweaks::RowOf(Tweak::kCleanupWizard).keyPath));
    EXPECT_TRUE(memory.HasKey(reg::kCurrentUser, modTweaks::RowOf(Tweak::kLowSpaceChecks).keyPath));
    EXPECT_FALSE(memory.HasKey(reg::kLocalMachine, "SOFTWARE"));
    EXPECT_FALSE(memory.HasKey(reg::kUsers, ".Default"));
}

TEST_F(FreshTweaksTab, AKeyThatCannotBeCreatedPutsTheBoxBackAndSaysSo) {
    api.createFails = 1021;
    tab.Box(Tweak::kLowSpaceChecks).SetValue(1);
    EXPECT_EQ(tab.Box(Tweak::kLowSpaceChecks).Value(), 0);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text,
              "This setting could not be changed:\n\n"
              "Disable Low Space Warnings - its registry key could not be created.\n\n"
              "The boxes show the settings as Windows holds them now.");
}

}  // namespace
