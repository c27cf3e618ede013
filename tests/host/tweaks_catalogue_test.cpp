// The eight settings against the in-memory registry: where each lives, its
// stored on and off states, how values read back, and what a write that
// cannot take effect reports.
#include <gtest/gtest.h>

#include "registry/AnsiCodePage.h"
#include "registry/MemoryRegistry.h"
#include "settings/modTweaks.h"
#include "support/TestDoubles.h"

namespace {

using modTweaks::Outcome;
using modTweaks::Tweak;
using testing_doubles::FakeUserName;
using testing_doubles::Log;
using testing_doubles::Only;
using testing_doubles::RecordingRegistry;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kKeyboard = ".Default\\Control Panel\\Keyboard";
constexpr const char* kAdvanced =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
constexpr const char* kCleanupWiz =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\CleanupWiz";
constexpr const char* kMemory =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
constexpr const char* kUserList =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\SpecialAccounts\\UserList";
constexpr const char* kWinlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kPolicies =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

struct Place {
    reg::Key root;
    const char* path;
    const char* name;
};
// Independent of the catalogue's own table, so that a wrong row shows.
const Place kPlaces[] = {
    {reg::kUsers, kKeyboard, "InitialKeyboardIndicators"},
    {reg::kLocalMachine, kAdvanced, "EncryptionContextMenu"},
    {reg::kCurrentUser, kCleanupWiz, "NoRun"},
    {reg::kLocalMachine, kMemory, "ClearPageFileAtShutdown"},
    {reg::kLocalMachine, kUserList, "Administrator"},
    {reg::kLocalMachine, kUserList, "alice"},
    {reg::kLocalMachine, kWinlogon, "KeepRasConnections"},
    {reg::kCurrentUser, kPolicies, "NoLowDiskSpaceChecks"},
};
const Place& PlaceOf(Tweak t) {
    return kPlaces[static_cast<std::size_t>(t)];
}
const Tweak kAll[] = {Tweak::kNumLock,       Tweak::kEncryptMenu,    Tweak::kCleanupWizard,
                      Tweak::kClearPageFile, Tweak::kAdminOnWelcome, Tweak::kCurrentUserOnWelcome,
                      Tweak::kKeepRas,       Tweak::kLowSpaceChecks};

Bytes Sz(const std::string& text) {
    Bytes b(text.begin(), text.end());
    b.push_back(0);
    return b;
}
Bytes Dword(std::uint32_t n) {
    return {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(n >> 16), std::uint8_t(n >> 24)};
}

class Catalogue : public ::testing::Test {
  protected:
    Catalogue() {
        for (const Place& p : kPlaces) memory.AddKey(p.root, p.path);
    }
    ~Catalogue() override { EXPECT_EQ(memory.OpenHandles(), 0u); }

    void Store(Tweak t, std::uint32_t type, Bytes data) {
        memory.Put(PlaceOf(t).root, PlaceOf(t).path, PlaceOf(t).name, type, std::move(data));
    }
    std::optional<reg::MemoryRegistry::Value> Stored(Tweak t) {
        return memory.Get(PlaceOf(t).root, PlaceOf(t).path, PlaceOf(t).name);
    }
    std::int32_t Read(Tweak t) { return modTweaks::Read(seams, t); }
    modTweaks::WriteResult Write(Tweak t, bool on) { return modTweaks::Write(seams, t, on); }

    reg::MemoryRegistry memory;
    Log log;
    RecordingRegistry api{memory, log};
    FakeUserName user{"alice"};
    modTweaks::Seams seams{api, user};
};

TEST_F(Catalogue, NothingStoredReadsOffExceptTheCurrentAccountWhichIsShown) {
    for (Tweak t : kAll) EXPECT_EQ(Read(t), t == Tweak::kCurrentUserOnWelcome ? 1 : 0) << int(t);
    reg::MemoryRegistry empty;  // not even the keys
    modTweaks::Seams bare{empty, user};
    for (Tweak t : kAll)
        EXPECT_EQ(modTweaks::Read(bare, t), t == Tweak::kCurrentUserOnWelcome ? 1 : 0) << int(t);
}

TEST_F(Catalogue, EachSettingStoresItsOwnOnAndOffAndReadsThemBack) {
    struct Encoding {
        std::uint32_t type;
        Bytes on;
        Bytes off;  // empty with type 0: the value is deleted
    };
    const Encoding encodings[] = {
        {reg::kRegSz, Sz("2"), Sz("0")},      {reg::kRegDword, Dword(1), {}},
        {reg::kRegDword, Dword(0), Dword(1)}, {reg::kRegDword, Dword(1), Dword(0)},
        {reg::kRegDword, Dword(1), Dword(0)}, {reg::kRegDword, Dword(1), Dword(0)},
        {reg::kRegSz, Sz("1"), Sz("0")},      {reg::kRegDword, Dword(1), Dword(0)},
    };
    for (Tweak t : kAll) {
        const Encoding& e = encodings[static_cast<std::size_t>(t)];
        EXPECT_TRUE(Write(t, true).held()) << int(t);
        ASSERT_TRUE(Stored(t)) << int(t);
        EXPECT_EQ(Stored(t)->type, e.type) << int(t);
        EXPECT_EQ(Stored(t)->data, e.on) << int(t);
        EXPECT_EQ(Read(t), 1) << int(t);

        const modTweaks::WriteResult off = Write(t, false);
        EXPECT_TRUE(off.held()) << int(t);
        EXPECT_EQ(off.reads, 0);
        if (e.off.empty()) {
            EXPECT_FALSE(Stored(t)) << int(t);
        } else {
            ASSERT_TRUE(Stored(t)) << int(t);
            EXPECT_EQ(Stored(t)->data, e.off) << int(t);
        }
        EXPECT_EQ(Read(t), 0) << int(t);
    }
}

TEST_F(Catalogue, NumLockIsBitOneAndItsWriterKeepsTheOtherBits) {
    for (auto [text, on] : {std::pair{"0", 0}, {"1", 0}, {"2", 1}, {"3", 1}, {"on", 0}}) {
        Store(Tweak::kNumLock, reg::kRegSz, Sz(text));
        EXPECT_EQ(Read(Tweak::kNumLock), on) << text;
    }
    for (auto [before, on, after] : {std::tuple{"3", false, "1"},
                                     {"0", true, "2"},
                                     {"6", false, "4"},
                                     {"1", true, "3"},
                                     // no number to keep bits of: the plain states
                                     {"on", true, "2"},
                                     {"on", false, "0"}}) {
        Store(Tweak::kNumLock, reg::kRegSz, Sz(before));
        EXPECT_TRUE(Write(Tweak::kNumLock, on).held());
        EXPECT_EQ(Stored(Tweak::kNumLock)->data, Sz(after)) << before << " " << on;
    }
}

TEST_F(Catalogue, StoredNumbersReadByEachRowsTest) {
    // NoRun: only 0 runs the wizard.
    for (auto [n, on] : {std::pair{0u, 1}, {1u, 0}, {2u, 0}}) {
        Store(Tweak::kCleanupWizard, reg::kRegDword, Dword(n));
        EXPECT_EQ(Read(Tweak::kCleanupWizard), on) << n;
    }
    // The rest test bit 0.
    for (auto [n, on] : {std::pair{1u, 1}, {2u, 0}, {3u, 1}, {0u, 0}}) {
        Store(Tweak::kClearPageFile, reg::kRegDword, Dword(n));
        EXPECT_EQ(Read(Tweak::kClearPageFile), on) << n;
    }
    // A number stored as text reads as that number, whichever row.
    Store(Tweak::kClearPageFile, reg::kRegSz, Sz("1"));
    EXPECT_EQ(Read(Tweak::kClearPageFile), 1);
    Store(Tweak::kKeepRas, reg::kRegSz, Sz("0"));
    EXPECT_EQ(Read(Tweak::kKeepRas), 0);
    Store(Tweak::kLowSpaceChecks, reg::kRegDword, Dword(1));
    EXPECT_EQ(Read(Tweak::kLowSpaceChecks), 1);
}

TEST_F(Catalogue, ValuesOfAnUnreadableTypeOrSizeReadAsMissingAndAreReplacedWhenWritten) {
    Store(Tweak::kClearPageFile, reg::kRegExpandSz, Sz("1"));
    Store(Tweak::kAdminOnWelcome, reg::kRegMultiSz, {'1', 0, 0});
    Store(Tweak::kCurrentUserOnWelcome, reg::kRegDword, {0, 0});  // would read off if taken
    Store(Tweak::kKeepRas, reg::kRegSz, Sz("yes"));
    EXPECT_EQ(Read(Tweak::kClearPageFile), 0);
    EXPECT_EQ(Read(Tweak::kAdminOnWelcome), 0);
    EXPECT_EQ(Read(Tweak::kCurrentUserOnWelcome), 1);
    EXPECT_EQ(Read(Tweak::kKeepRas), 0);

    EXPECT_TRUE(Write(Tweak::kClearPageFile, true).held());
    EXPECT_EQ(Stored(Tweak::kClearPageFile)->type, reg::kRegDword);
    EXPECT_EQ(Stored(Tweak::kClearPageFile)->data, Dword(1));
}

TEST_F(Catalogue, EncryptOffDeletesTheValueAndAMissingOneIsAlreadyOff) {
    EXPECT_TRUE(Write(Tweak::kEncryptMenu, false).held());
    EXPECT_EQ(Only(log, {"set", "delete"}), Log{"delete EncryptionContextMenu -> 2"});
    EXPECT_FALSE(Stored(Tweak::kEncryptMenu));
}

TEST_F(Catalogue, AFailedProbeAddsNoKeyNamedLikeTheValue) {
    for (Tweak t : kAll) Write(t, true);
    EXPECT_TRUE(Only(log, {"create"}).empty());
    for (const Place& p : kPlaces)
        EXPECT_FALSE(memory.HasKey(p.root, std::string(p.path) + "\\" + p.name)) << p.name;
}

TEST_F(Catalogue, TheCurrentAccountIsTheLogonNameAskedForEachTime) {
    EXPECT_TRUE(Write(Tweak::kCurrentUserOnWelcome, false).held());
    EXPECT_EQ(memory.Get(reg::kLocalMachine, kUserList, "alice")->data, Dword(0));
    EXPECT_EQ(Read(Tweak::kCurrentUserOnWelcome), 0);
    EXPECT_EQ(user.calls, 2);  // once for the write and its read-back, once for the read
    EXPECT_EQ(user.sizeOffered, 100u);
}

TEST_F(Catalogue, ALogonNameThatCannotBeReadNeverTouchesTheDefaultValue) {
    user.fail = true;
    EXPECT_EQ(Read(Tweak::kCurrentUserOnWelcome), 1);
    EXPECT_TRUE(Write(Tweak::kCurrentUserOnWelcome, true).held());  // shown, as asked
    const modTweaks::WriteResult off = Write(Tweak::kCurrentUserOnWelcome, false);
    EXPECT_EQ(off.outcome, Outcome::kNoUserName);
    EXPECT_EQ(off.reads, 1);
    EXPECT_TRUE(Only(log, {"set", "delete"}).empty());
    EXPECT_TRUE(memory.ValueNames(reg::kLocalMachine, kUserList).empty());
}

TEST(CurrentLogonName, IsBoundedByItsBufferAndEmptyWhenTheCallFails) {
    FakeUserName longest(std::string(99, 'u'));
    EXPECT_EQ(modTweaks::CurrentLogonName(longest), std::u16string(99, u'u'));
    FakeUserName tooLong(std::string(100, 'u'));  // no room for its NUL
    EXPECT_EQ(modTweaks::CurrentLogonName(tooLong), u"");

    // A call that claims success but fills the buffer without a NUL.
    struct Unterminated final : settings::UserNameApi {
        bool GetUserNameW(char16_t* buffer, std::uint32_t* size) override {
            std::fill(buffer, buffer + *size, u'x');
            return true;
        }
    } unterminated;
    EXPECT_EQ(modTweaks::CurrentLogonName(unterminated), std::u16string(100, u'x'));
}

// An account named outside the code page: through the ANSI calls "Σοφία"
// would be "Sof?a" (or "?????"), another account's value or nobody's. Its own
// value is written, read and shown by its exact name; a value of the ANSI
// spelling stays as it was.
TEST_F(Catalogue, ALogonNameOutsideTheCodePageNamesItsOwnValueExactly) {
    const std::u16string sofia = u"\u03a3\u03bf\u03c6\u03af\u03b1";
    FakeUserName greek(sofia);
    const modTweaks::Seams seams{api, greek};
    const std::string ansi = reg::ansi::FromWide(sofia);
    memory.Put(reg::kLocalMachine, kUserList, ansi, reg::kRegDword, Dword(1));

    EXPECT_EQ(modTweaks::Read(seams, Tweak::kCurrentUserOnWelcome), 1);  // no value yet: shown
    EXPECT_TRUE(modTweaks::Write(seams, Tweak::kCurrentUserOnWelcome, false).held());
    EXPECT_EQ(memory.GetW(reg::kLocalMachine, reg::ansi::ToWide(kUserList), sofia)->data, Dword(0));
    EXPECT_EQ(modTweaks::Read(seams, Tweak::kCurrentUserOnWelcome), 0);
    EXPECT_EQ(memory.Get(reg::kLocalMachine, kUserList, ansi)->data, Dword(1));
    EXPECT_TRUE(modTweaks::Write(seams, Tweak::kCurrentUserOnWelcome, true).held());
    EXPECT_EQ(memory.GetW(reg::kLocalMachine, reg::ansi::ToWide(kUserList), sofia)->data, Dword(1));
    EXPECT_EQ(memory.ValueNamesW(reg::kLocalMachine, reg::ansi::ToWide(kUserList)).size(), 2u);
}

TEST_F(Catalogue, AWriteRefusedForLackOfRightsChangesNothingAndSaysSo) {
    Store(Tweak::kClearPageFile, reg::kRegDword, Dword(1));
    Store(Tweak::kNumLock, reg::kRegSz, Sz("0"));
    memory.Deny(reg::kLocalMachine, "", reg::kKeyWrite);
    memory.Deny(reg::kUsers, ".Default", reg::kKeyWrite);

    for (Tweak t :
         {Tweak::kNumLock, Tweak::kEncryptMenu, Tweak::kAdminOnWelcome, Tweak::kKeepRas}) {
        const modTweaks::WriteResult r = Write(t, true);
        EXPECT_EQ(r.outcome, Outcome::kRefused) << int(t);
        EXPECT_EQ(r.reads, 0) << int(t);
    }
    const modTweaks::WriteResult off = Write(Tweak::kClearPageFile, false);
    EXPECT_EQ(off.outcome, Outcome::kRefused);
    EXPECT_EQ(off.reads, 1);
    EXPECT_EQ(Stored(Tweak::kClearPageFile)->data, Dword(1));
    EXPECT_EQ(Stored(Tweak::kNumLock)->data, Sz("0"));
    EXPECT_TRUE(Only(log, {"set", "delete"}).empty());

    // Rewriting what is already there is no failure, refused or not.
    EXPECT_TRUE(Write(Tweak::kClearPageFile, true).held());
    // The current user's own settings are not under HKEY_LOCAL_MACHINE.
    EXPECT_TRUE(Write(Tweak::kLowSpaceChecks, true).held());
}

// A registry with none of the settings' keys, as a fresh Windows XP lacks
// several of them.
class FreshSystem : public ::testing::Test {
  protected:
    ~FreshSystem() override { EXPECT_EQ(memory.OpenHandles(), 0u); }
    modTweaks::WriteResult Write(Tweak t, bool on) { return modTweaks::Write(seams, t, on); }
    Log Creates() { return Only(log, {"create"}); }

    reg::MemoryRegistry memory;
    Log log;
    RecordingRegistry api{memory, log};
    FakeUserName user{"alice"};
    modTweaks::Seams seams{api, user};
};

TEST(FreshSystemWrites, AChangeCreatesTheMissingKeyPathForItsValueAndNothingElse) {
    for (Tweak t : kAll) {
        const Place& p = PlaceOf(t);
        reg::MemoryRegistry memory;
        Log log;
        RecordingRegistry api{memory, log};
        FakeUserName user{"alice"};
        const modTweaks::Seams seams{api, user};
        const bool on = t != Tweak::kCurrentUserOnWelcome;  // that one reads on already

        const modTweaks::WriteResult r = modTweaks::Write(seams, t, on);
        EXPECT_TRUE(r.held()) << p.name;
        EXPECT_EQ(Only(log, {"create"}), Log{"create " + std::string(p.path) + " 0x3"}) << p.name;
        EXPECT_EQ(memory.ValueNames(p.root, p.path), std::vector<std::string>{p.name});
        EXPECT_FALSE(memory.HasKey(p.root, std::string(p.path) + "\\" + p.name)) << p.name;
        EXPECT_EQ(memory.OpenHandles(), 0u);

        // Once there, the key is only written to.
        log.clear();
        EXPECT_TRUE(modTweaks::Write(seams, t, !on).held()) << p.name;
        EXPECT_TRUE(Only(log, {"create"}).empty()) << p.name;
    }
}

TEST_F(FreshSystem, ASettingThatAlreadyReadsAsAskedCreatesNoKey) {
    // The load writes every setting that reads on, and the current account
    // reads on while its key is missing; switching the Encrypt item off deletes.
    EXPECT_TRUE(Write(Tweak::kCurrentUserOnWelcome, true).held());
    EXPECT_TRUE(Write(Tweak::kEncryptMenu, false).held());
    EXPECT_TRUE(Write(Tweak::kNumLock, false).held());
    EXPECT_TRUE(Write(Tweak::kCleanupWizard, false).held());
    EXPECT_TRUE(Creates().empty());
    for (const Place& p : kPlaces) EXPECT_FALSE(memory.HasKey(p.root, p.path)) << p.name;
}

TEST_F(FreshSystem, ARefusedCreateNeedsAdministratorRightsAndLeavesNoKey) {
    memory.Deny(reg::kLocalMachine, kWinlogon, reg::kKeyWrite);
    for (Tweak t : {Tweak::kAdminOnWelcome, Tweak::kCurrentUserOnWelcome}) {
        const modTweaks::WriteResult r = Write(t, t == Tweak::kAdminOnWelcome);
        EXPECT_EQ(r.outcome, Outcome::kRefused) << int(t);
        EXPECT_EQ(r.reads, t == Tweak::kAdminOnWelcome ? 0 : 1) << int(t);
    }
    EXPECT_EQ(Only(log, {"create", "set"}),
              Log(2, "create " + std::string(kUserList) + " 0x3 -> 5"));
    EXPECT_FALSE(memory.HasKey(reg::kLocalMachine, std::string(kWinlogon) + "\\SpecialAccounts"));
}

TEST_F(FreshSystem, AKeyThatCannotBeCreatedForAnotherReasonIsReportedMissing) {
    api.createFails = 1021;
    const modTweaks::WriteResult r = Write(Tweak::kLowSpaceChecks, true);
    EXPECT_EQ(r.outcome, Outcome::kKeyMissing);
    EXPECT_EQ(r.reads, 0);
    EXPECT_FALSE(memory.HasKey(reg::kCurrentUser, kPolicies));
}

}  // namespace
