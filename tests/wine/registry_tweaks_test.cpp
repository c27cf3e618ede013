// The eight settings against the real registry under Wine, with the real
// logon name. Each test borrows a setting: its value (or the keys it had to
// create) is put back afterwards, since other tests share the prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "conformance/WineScratch.h"
#include "registry/RegistryWin32.h"
#include "registry/modTweaks.h"

namespace {

using modTweaks::Outcome;
using modTweaks::Tweak;

HKEY ToHkey(reg::Key root) {
    return root == reg::kCurrentUser    ? HKEY_CURRENT_USER
           : root == reg::kLocalMachine ? HKEY_LOCAL_MACHINE
                                        : HKEY_USERS;
}

bool KeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

std::optional<RawValue> QueryRaw(HKEY root, const std::string& path, const std::string& name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    RawValue value;
    DWORD size = 0;
    LONG status = ::RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.data.resize(size);
        status =
            ::RegQueryValueExA(key, name.c_str(), nullptr, &value.type, value.data.data(), &size);
        value.data.resize(size);
    }
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return value;
}

// One setting's place, given back as it was found.
class Borrowed {
  public:
    Borrowed(const modTweaks::Row& row, const std::string& name)
        : root_(ToHkey(row.root)), path_(row.keyPath), name_(name) {
        std::string sofar;
        for (std::size_t start = 0; start <= path_.size();) {
            std::size_t end = path_.find('\\', start);
            if (end == std::string::npos) end = path_.size();
            sofar = path_.substr(0, end);
            if (!KeyExists(root_, sofar)) {
                firstCreated_ = sofar;
                break;
            }
            start = end + 1;
        }
        if (firstCreated_.empty()) saved_ = QueryRaw(root_, path_, name_);
    }
    ~Borrowed() {
        if (!firstCreated_.empty()) {
            conformance::DeleteTree(root_, firstCreated_);
            return;
        }
        HKEY key = nullptr;
        if (::RegOpenKeyExA(root_, path_.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        if (saved_)
            ::RegSetValueExA(key, name_.c_str(), 0, saved_->type, saved_->data.data(),
                             static_cast<DWORD>(saved_->data.size()));
        else
            ::RegDeleteValueA(key, name_.c_str());
        ::RegCloseKey(key);
    }
    Borrowed(const Borrowed&) = delete;
    Borrowed& operator=(const Borrowed&) = delete;

    bool KeyWasMissing() const { return !firstCreated_.empty(); }
    void MakeKey() {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    &key, nullptr),
                  ERROR_SUCCESS);
        ::RegCloseKey(key);
    }
    void Clear() {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(root_, path_.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        ::RegDeleteValueA(key, name_.c_str());
        ::RegCloseKey(key);
    }
    std::optional<RawValue> Now() const { return QueryRaw(root_, path_, name_); }
    bool KeyThere() const { return KeyExists(root_, path_); }

  private:
    HKEY root_;
    std::string path_;
    std::string name_;
    std::string firstCreated_;
    std::optional<RawValue> saved_;
};

class WineTweaks : public ::testing::Test {
  protected:
    std::string NameOf(Tweak t) {
        const modTweaks::Row& row = modTweaks::RowOf(t);
        return row.valueName != nullptr ? row.valueName : modTweaks::CurrentLogonName(user);
    }

    reg::RegistryWin32 registry;
    reg::UserNameWin32 user;
    modTweaks::Seams seams{registry, user};
};

TEST_F(WineTweaks, TheLogonNameIsWhatGetUserNameGives) {
    char name[256] = {};
    DWORD size = sizeof name;
    ASSERT_TRUE(::GetUserNameA(name, &size));
    EXPECT_FALSE(modTweaks::CurrentLogonName(user).empty());
    EXPECT_EQ(modTweaks::CurrentLogonName(user), name);
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
        Borrowed place(row, NameOf(t));
        if (place.KeyWasMissing()) {
            // A missing key is reported, and left missing.
            const modTweaks::WriteResult r = modTweaks::Write(seams, t, row.whenUnreadable == 0);
            EXPECT_EQ(r.outcome, Outcome::kKeyMissing);
            EXPECT_FALSE(place.KeyThere());
            place.MakeKey();
        }
        place.Clear();
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
    Borrowed place(modTweaks::RowOf(Tweak::kNumLock), "InitialKeyboardIndicators");
    if (place.KeyWasMissing()) place.MakeKey();
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_USERS, modTweaks::RowOf(Tweak::kNumLock).keyPath, 0,
                              KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExA(key, "InitialKeyboardIndicators", 0, REG_SZ,
                               reinterpret_cast<const BYTE*>("3"), 2),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
    EXPECT_EQ(modTweaks::GetNumLock(seams), 1);
    EXPECT_TRUE(modTweaks::SetNumLock(seams, false).held());
    EXPECT_EQ(place.Now()->data, std::vector<BYTE>({'1', 0}));
}

}  // namespace
