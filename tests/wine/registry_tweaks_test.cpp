// The eight settings against the real registry under Wine, with the real
// logon name. Each test borrows a setting: its value (or the keys made for
// it) is put back afterwards, since other tests share the prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/AnsiCodePage.h"
#include "registry/RegistryWin32.h"
#include "settings/UserNameWin32.h"
#include "settings/modTweaks.h"
#include "wine/support/Driver.h"

namespace {

using modTweaks::Outcome;
using modTweaks::Tweak;
using wine_test::BorrowedValue;

HKEY ToHkey(reg::Key root) {
    return root == reg::kCurrentUser    ? HKEY_CURRENT_USER
           : root == reg::kLocalMachine ? HKEY_LOCAL_MACHINE
                                        : HKEY_USERS;
}

class WineTweaks : public ::testing::Test {
  protected:
    std::string NameOf(Tweak t) {
        const modTweaks::Row& row = modTweaks::RowOf(t);
        return row.valueName != nullptr ? row.valueName
                                        : reg::ansi::FromWide(modTweaks::CurrentLogonName(user));
    }

    reg::RegistryWin32 registry;
    settings::UserNameWin32 user;
    modTweaks::Seams seams{registry, user};
};

TEST_F(WineTweaks, TheLogonNameIsWhatGetUserNameGives) {
    wchar_t name[257] = {};
    DWORD size = 257;
    ASSERT_TRUE(::GetUserNameW(name, &size));
    EXPECT_FALSE(modTweaks::CurrentLogonName(user).empty());
    EXPECT_EQ(modTweaks::CurrentLogonName(user), reinterpret_cast<const char16_t*>(name));
}

TEST_F(WineTweaks, EachSettingSwitchesOnAndOffInTheRealRegistry) {
    struct Stored {
        DWORD type;
        std::vector<BYTE> on;
    };
    const Stored stored[] = {
        {REG_SZ, {'2', 0}},        {REG_DWORD, {1, 0, 0, 0}}, {REG_DWORD, {0, 0, 0, 0}},
        {REG_DWORD, {1, 0, 0, 0}}, {REG_DWORD, {1, 0, 0, 0}}, {REG_DWORD, {1, 0, 0, 0}},
        {REG_SZ, {'1', 0}},        {REG_DWORD, {1, 0, 0, 0}},
    };
    for (std::size_t i = 0; i < modTweaks::kTweakCount; ++i) {
        const Tweak t = static_cast<Tweak>(i);
        const modTweaks::Row& row = modTweaks::RowOf(t);
        SCOPED_TRACE(NameOf(t));
        BorrowedValue place(ToHkey(row.root), row.keyPath, NameOf(t));
        if (!place.firstMissing().empty()) {
            // A change makes the missing key, and only the key: its value is
            // the one value in it.
            const bool change = row.whenUnreadable == 0;
            EXPECT_TRUE(modTweaks::Write(seams, t, change).held());
            EXPECT_EQ(wine_test::RegValuesAndSubkeys(ToHkey(row.root), row.keyPath),
                      std::make_pair(1ul, 0ul));
            ASSERT_TRUE(place.Now());
            EXPECT_EQ(place.Now()->data, change ? stored[i].on : std::vector<BYTE>({0, 0, 0, 0}));
        }
        place.Delete();
        EXPECT_EQ(modTweaks::Read(seams, t), row.whenUnreadable);

        EXPECT_TRUE(modTweaks::Write(seams, t, true).held());
        ASSERT_TRUE(place.Now());
        EXPECT_EQ(place.Now()->type, stored[i].type);
        EXPECT_EQ(place.Now()->data, stored[i].on);
        EXPECT_EQ(modTweaks::Read(seams, t), 1);

        EXPECT_TRUE(modTweaks::Write(seams, t, false).held());
        EXPECT_EQ(modTweaks::Read(seams, t), 0);
        if (t == Tweak::kEncryptMenu) {
            EXPECT_FALSE(place.Now());
        }
    }
}

TEST_F(WineTweaks, NumLockKeepsTheOtherBitsOfTheStoredText) {
    BorrowedValue place(HKEY_USERS, modTweaks::RowOf(Tweak::kNumLock).keyPath,
                        "InitialKeyboardIndicators");
    ASSERT_TRUE(place.SetSz("3"));
    EXPECT_EQ(modTweaks::Read(seams, modTweaks::Tweak::kNumLock), 1);
    EXPECT_TRUE(modTweaks::Write(seams, modTweaks::Tweak::kNumLock, false).held());
    EXPECT_EQ(place.Now()->data, std::vector<BYTE>({'1', 0}));
}

}  // namespace
