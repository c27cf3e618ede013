#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/AnsiCodePage.h"
#include "registry/MemoryRegistry.h"
#include "support/TestDoubles.h"
#include "system/ShutdownApi.h"
#include "ui/RunListTab.h"

namespace {

using ::testing::ElementsAre;
using ::testing::Field;

const reg::Key kHkcu = reg::kCurrentUser;
const std::string kRunMru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const std::string kQuestion =
    "The system must be restarted before the changes will take effect. Do you wish to restart "
    "now?";

// A list whose entries are 7 pixels a character plus 20 for the check box.
class FakeView : public ui::RunListView {
  public:
    std::vector<int> extents;
    int shown = 0;
    int checksShown = 0;
    int EntryWidth(const std::u16string& text) override {
        return 20 + 7 * static_cast<int>(text.size());
    }
    void SetHorizontalExtent(int pixels) override { extents.push_back(pixels); }
    void ShowEntries() override { ++shown; }
    void ShowChecks() override { ++checksShown; }
};

class RunListTabTest : public ::testing::Test {
  protected:
    RunListTabTest() { tab.AttachView(&view); }

    void Put(const std::string& name, const std::string& bytes) {
        registry.Put(kHkcu, kRunMru, name, reg::kRegSz,
                     std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }
    // A command as the Run dialog stores it.
    void PutCommand(const std::string& name, const std::string& command) {
        registry.PutSz(kHkcu, kRunMru, name, command + "\\1");
    }
    int IndexOf(const std::string& valueName) const {
        const auto& entries = tab.Entries();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].valueName == reg::ansi::ToWide(valueName)) return static_cast<int>(i);
        }
        ADD_FAILURE() << "no entry " << valueName;
        return -1;
    }

    reg::MemoryRegistry registry;
    testing_doubles::RecordingPrompter prompter;
    testing_doubles::RecordingShutdown shutdown;
    FakeView view;
    ui::RunListTab tab{registry, prompter, shutdown};
};

auto Entry(const std::string& name, const std::string& text) {
    return ::testing::AllOf(Field(&ui::RunListEntry::valueName, reg::ansi::ToWide(name)),
                            Field(&ui::RunListEntry::text, reg::ansi::ToWide(text)),
                            Field(&ui::RunListEntry::checked, true));
}

TEST_F(RunListTabTest, ListsEveryEntryCheckedUnderItsFullNameButNotMruList) {
    PutCommand("a", "notepad");
    PutCommand("c", "calc");
    PutCommand("ab", "C:\\Program Files\\x.exe /q");
    registry.PutSz(kHkcu, kRunMru, "MRUList", "cab");
    tab.LoadRunList();
    EXPECT_THAT(tab.Entries(), ElementsAre(Entry("a", "notepad"), Entry("c", "calc"),
                                           Entry("ab", "C:\\Program Files\\x.exe /q")));
    EXPECT_EQ(tab.CurrentEntry(), 0);
    EXPECT_EQ(view.shown, 1);
    EXPECT_THAT(view.extents, ElementsAre(20 + 7 * 25));
    EXPECT_EQ(registry.OpenHandles(), 0u);
    EXPECT_TRUE(prompter.boxes.empty());
}

// The registry ignores the case of names: "mrulist" is the shell's own list
// value, whatever its spelling, and Apply must never be able to delete it.
TEST_F(RunListTabTest, MruListInAnyCaseIsSkipped) {
    PutCommand("mrulist", "regedit");
    PutCommand("a", "notepad");
    tab.LoadRunList();
    EXPECT_THAT(tab.Entries(), ElementsAre(Entry("a", "notepad")));
}

TEST_F(RunListTabTest, AKeyWithOnlyMruListGivesAnEmptyListAndNoExtent) {
    registry.PutSz(kHkcu, kRunMru, "MRUList", "");
    tab.LoadRunList();
    EXPECT_TRUE(tab.Entries().empty());
    EXPECT_EQ(tab.CurrentEntry(), -1);
    EXPECT_THAT(view.extents, ElementsAre(0));
}

TEST_F(RunListTabTest, AKeyThatWillNotOpenEmptiesTheListSilentlyAndKeepsTheExtent) {
    PutCommand("a", "notepad");
    tab.LoadRunList();
    registry.Deny(kHkcu, kRunMru, reg::kKeyQueryValue);
    tab.LoadRunList();
    EXPECT_TRUE(tab.Entries().empty());
    EXPECT_EQ(tab.CurrentEntry(), -1);
    EXPECT_EQ(view.shown, 2);
    EXPECT_EQ(view.extents.size(), 1u);
    EXPECT_EQ(registry.OpenHandles(), 0u);

    reg::MemoryRegistry empty;
    ui::RunListTab fresh(empty, prompter, shutdown);
    fresh.LoadRunList();  // no key at all, no view
    EXPECT_TRUE(fresh.Entries().empty());
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(RunListTabTest, DefaultValueAndDataTooShortForTheEndingAreLeftOut) {
    PutCommand("", "hidden");                 // the key's default value
    Put("b", std::string("1\0", 2));          // two bytes
    Put("d", "");                             // nothing at all
    Put("e", std::string("\\1\0", 3));        // just the ending: an empty command
    Put("f", std::string("ab\0cd\\1\0", 8));  // text up to the first zero byte
    tab.LoadRunList();
    EXPECT_THAT(tab.Entries(), ElementsAre(Entry("e", ""), Entry("f", "ab")));
}

TEST_F(RunListTabTest, NamesAndDataUpToTheBufferSizesAreListed) {
    const std::string longName(1999, 'n');     // 2000 with its terminator
    const std::string longCommand(1997, 'x');  // 2000 bytes with "\1" and the terminator
    PutCommand(longName, "cmd");
    PutCommand("a", longCommand);
    tab.LoadRunList();
    EXPECT_THAT(tab.Entries(), ElementsAre(Entry(longName, "cmd"), Entry("a", longCommand)));
    EXPECT_THAT(view.extents, ElementsAre(20 + 7 * 1997));
}

TEST_F(RunListTabTest, TheFirstValueTooLargeForTheBuffersEndsTheList) {
    PutCommand("a", "one");
    PutCommand(std::string(2000, 'n'), "two");  // no room left for the terminator
    PutCommand("c", "three");
    tab.LoadRunList();
    EXPECT_THAT(tab.Entries(), ElementsAre(Entry("a", "one")));
    EXPECT_THAT(view.extents, ElementsAre(20 + 7 * 3));
    EXPECT_EQ(registry.OpenHandles(), 0u);

    reg::MemoryRegistry other;
    ui::RunListTab tab2(other, prompter, shutdown);
    other.PutSz(kHkcu, kRunMru, "a", "one\\1");
    other.PutSz(kHkcu, kRunMru, "b", std::string(1998, 'x') + "\\1");  // 2001 bytes
    other.PutSz(kHkcu, kRunMru, "c", "three\\1");
    tab2.LoadRunList();
    EXPECT_THAT(tab2.Entries(), ElementsAre(Entry("a", "one")));
}

TEST_F(RunListTabTest, SelectAllAndNoneSetEveryCheckAndMakeTheFirstEntryCurrent) {
    tab.cmdMRUNone_Click();  // an empty list: nothing to do, nothing shown
    tab.cmdMRUAll_Click();
    EXPECT_EQ(view.checksShown, 0);
    EXPECT_EQ(tab.CurrentEntry(), -1);

    PutCommand("a", "notepad");
    PutCommand("b", "calc");
    tab.LoadRunList();
    tab.SetCurrentEntry(1);
    tab.cmdMRUNone_Click();
    EXPECT_FALSE(tab.Entries()[0].checked);
    EXPECT_FALSE(tab.Entries()[1].checked);
    EXPECT_EQ(tab.CurrentEntry(), 0);
    tab.SetCurrentEntry(1);
    tab.cmdMRUAll_Click();
    EXPECT_TRUE(tab.Entries()[0].checked);
    EXPECT_TRUE(tab.Entries()[1].checked);
    EXPECT_EQ(tab.CurrentEntry(), 0);
    EXPECT_EQ(view.checksShown, 2);
    EXPECT_EQ(registry.ValueNames(kHkcu, kRunMru), (std::vector<std::string>{"a", "b"}));
}

TEST_F(RunListTabTest, ApplyDeletesExactlyTheUncheckedValuesAndLeavesMruListAlone) {
    PutCommand("a", "notepad");
    PutCommand("b", "calc");
    PutCommand("ab", "mspaint");
    PutCommand("c", "cmd");
    registry.PutSz(kHkcu, kRunMru, "MRUList", "cbaab");
    tab.LoadRunList();
    tab.SetChecked(IndexOf("b"), false);
    tab.SetChecked(IndexOf("ab"), false);
    tab.cmdMRUApply_Click();

    EXPECT_EQ(registry.ValueNames(kHkcu, kRunMru), (std::vector<std::string>{"a", "c", "MRUList"}));
    const auto mruList = registry.Get(kHkcu, kRunMru, "MRUList");
    ASSERT_TRUE(mruList.has_value());
    EXPECT_EQ(std::string(mruList->data.begin(), mruList->data.end()), std::string("cbaab\0", 6));
    // Reloaded from what remains, every entry checked again.
    EXPECT_THAT(tab.Entries(), ElementsAre(Entry("a", "notepad"), Entry("c", "cmd")));
    EXPECT_EQ(view.shown, 2);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, kQuestion);
    EXPECT_EQ(prompter.boxes[0].style, 52u);
    EXPECT_EQ(prompter.boxes[0].caption, "Dovrane");
    EXPECT_EQ(shutdown.restarts, 0);  // answered No
    EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST_F(RunListTabTest, ApplyAsksEveryTimeAndRestartsOnYes) {
    PutCommand("a", "notepad");
    tab.LoadRunList();
    tab.cmdMRUApply_Click();  // nothing unchecked: nothing deleted, still asked
    EXPECT_EQ(registry.ValueNames(kHkcu, kRunMru), std::vector<std::string>{"a"});
    EXPECT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(shutdown.restarts, 0);

    prompter.answer = shell::kIdYes;
    tab.cmdMRUApply_Click();
    EXPECT_EQ(prompter.boxes.size(), 2u);
    EXPECT_EQ(shutdown.restarts, 1);
}

TEST_F(RunListTabTest, SelectNoneThenApplyEmptiesTheHistoryButForMruList) {
    PutCommand("a", "notepad");
    PutCommand("b", "calc");
    registry.PutSz(kHkcu, kRunMru, "MRUList", "ba");
    tab.LoadRunList();
    tab.cmdMRUNone_Click();
    tab.cmdMRUApply_Click();
    EXPECT_EQ(registry.ValueNames(kHkcu, kRunMru), std::vector<std::string>{"MRUList"});
    EXPECT_TRUE(tab.Entries().empty());
    EXPECT_EQ(tab.CurrentEntry(), -1);
    EXPECT_THAT(view.extents, ElementsAre(20 + 7 * 7, 0));
    EXPECT_EQ(prompter.boxes.size(), 1u);
}

TEST_F(RunListTabTest, AFailedOrRedundantDeletionBringsTheEntryBackSilently) {
    PutCommand("a", "notepad");
    PutCommand("b", "calc");
    tab.LoadRunList();
    tab.cmdMRUNone_Click();
    // Someone else removed "a" meanwhile, and writing is refused for "b".
    {
        reg::UniqueKey key = reg::UniqueKey::Open(registry, kHkcu, kRunMru, reg::kKeyAllAccess);
        ASSERT_TRUE(key);
        ASSERT_EQ(registry.RegDeleteValueA(key.get(), "a"), reg::kSuccess);
    }
    registry.Deny(kHkcu, kRunMru, reg::kKeySetValue);
    tab.cmdMRUApply_Click();
    EXPECT_THAT(tab.Entries(), ElementsAre(Entry("b", "calc")));
    EXPECT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(registry.OpenHandles(), 0u);
}

}  // namespace
