// The eight Windows settings the program switches: where each lives, how its
// on and off states are stored, how a stored value reads back, how the
// program names it and which keys its writer makes. One data row per
// setting, and every other table of settings is made from these rows (the
// main window's boxes, their click handlers, Select All's order, the backups'
// creatable keys, the Group Policy template): a ninth setting is a row here
// and its box's place in ui/frmKestrow.h. Read and Write run on the rows.
#pragma once
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "registry/RegistryApi.h"
#include "settings/UserName.h"

namespace modTweaks {

// The rows' names, in the catalogue's order (which is the order the main
// window reads them in and its tab order).
enum class Tweak : std::size_t {
    kNumLock,
    kEncryptMenu,
    kCleanupWizard,
    kClearPageFile,
    kAdminOnWelcome,
    kCurrentUserOnWelcome,
    kKeepRas,
    kLowSpaceChecks,
};

// How a stored number n reads as on.
enum class ReadTest {
    kBit0Set,  // n odd
    kBit1Set,  // n & 2
    kIsZero,   // n == 0
};

struct Row {
    // How the program names the setting (its box, the failure messages, the
    // Group Policy template) and the help topic that explains it.
    const char* caption;
    int helpTopic;
    reg::Key root;
    const char* keyPath;
    const char* valueName;  // nullptr: the logon name of the user running the program
    std::uint32_t type;     // reg::kRegSz (as decimal text) or reg::kRegDword
    std::int32_t on;        // stored for on
    std::int32_t off;       // stored for off, unless offDeletes
    bool offDeletes;        // off removes the value instead
    // Non-zero: on and off set or clear only this bit of the number the probe
    // read, keeping the others; `on` and `off` apply when the probe failed.
    std::int32_t keepOtherBitsOf;
    ReadTest test;
    std::int32_t whenUnreadable;  // the state a missing or unreadable value reads as
    // How many keys at the end of keyPath may be missing on a fresh Windows
    // XP and are made by the writer (1: the key, 2: the key and its parent);
    // only these may a backup remove again.
    int createsKeys;
    // Where Select All and Select None reach the setting: 0 first.
    int selectStep;
};

inline constexpr const char* kUserList =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\SpecialAccounts\\UserList";

// The catalogue. Constant, so that the window's layout and the other tables
// are made from it as the program is compiled.
// clang-format off
inline constexpr Row kRows[] = {
    // caption, help topic,
    //   root, key path, value name,
    //   type, on, off, off deletes, keep other bits of, read test, when unreadable,
    //   keys its writer makes, Select All's step
    {"Enable NumLock @ Startup", 2,
        reg::kUsers, ".Default\\Control Panel\\Keyboard", "InitialKeyboardIndicators",
        reg::kRegSz, 2, 0, false, 2, ReadTest::kBit1Set, 0, 0, 0},
    {"Add Encrypt Item to Context Menu", 3,
        reg::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced",
        "EncryptionContextMenu",
        reg::kRegDword, 1, 0, true, 0, ReadTest::kBit0Set, 0, 0, 3},
    // The box names the wizard's on state; the value is its "do not run" switch.
    {"Enable Desktop Cleanup Wizard", 4,
        reg::kCurrentUser,
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\CleanupWiz", "NoRun",
        reg::kRegDword, 0, 1, false, 0, ReadTest::kIsZero, 0, 1, 2},
    {"Enable Clear Page File @ Shutdown", 5,
        reg::kLocalMachine,
        "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
        "ClearPageFileAtShutdown",
        reg::kRegDword, 1, 0, false, 0, ReadTest::kBit0Set, 0, 0, 1},
    {"Display Adminstrator Account on Welcome Screen", 12,
        reg::kLocalMachine, kUserList, "Administrator",
        reg::kRegDword, 1, 0, false, 0, ReadTest::kBit0Set, 0, 2, 4},
    // An account without a value here is shown on the Welcome screen.
    {"Display Current Account on Welcome Screen", 15,
        reg::kLocalMachine, kUserList, nullptr,
        reg::kRegDword, 1, 0, false, 0, ReadTest::kBit0Set, 1, 2, 5},
    {"Keep Dial-Up Internet Connections Open During Fast User Switch", 13,
        reg::kLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
        "KeepRasConnections",
        reg::kRegSz, 1, 0, false, 0, ReadTest::kBit0Set, 0, 0, 6},
    {"Disable Low Space Warnings", 14,
        reg::kCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
        "NoLowDiskSpaceChecks",
        reg::kRegDword, 1, 0, false, 0, ReadTest::kBit0Set, 0, 1, 7},
};
// clang-format on
inline constexpr std::size_t kTweakCount = std::size(kRows);

// Select All reaches every setting once: the steps are 0 to kTweakCount - 1,
// each on one row.
constexpr bool EachRowHasASelectStepOfItsOwn() {
    for (std::size_t i = 0; i < kTweakCount; ++i) {
        const int step = kRows[i].selectStep;
        if (step < 0 || static_cast<std::size_t>(step) >= kTweakCount) return false;
        for (std::size_t j = 0; j < i; ++j)
            if (kRows[j].selectStep == step) return false;
    }
    return true;
}
static_assert(EachRowHasASelectStepOfItsOwn(), "two settings share a Select All step");

const Row (&Rows())[kTweakCount];
const Row& RowOf(Tweak tweak);

// What the catalogue reaches Windows through.
struct Seams {
    reg::RegistryApi& registry;
    settings::UserNameApi& userName;
};

// How a write ended, found by reading the setting back.
enum class Outcome {
    kHeld,        // the registry now holds what was asked
    kRefused,     // the key may not be opened for writing, or created (administrator rights)
    kKeyMissing,  // the key does not exist and could not be created
    kNoUserName,  // the logon name could not be read, so there is no value to write
    kNotHeld,     // another failure, or the write went through but does not read back
};
struct WriteResult {
    Outcome outcome;
    std::int32_t reads;  // the setting as the registry holds it now, 1 on
    bool held() const { return outcome == Outcome::kHeld; }
};

// The logon name from GetUserNameW with a 100-character buffer, exact in
// any script, or the empty text when it cannot be had.
std::u16string CurrentLogonName(settings::UserNameApi& userName);

// 1 when the setting is on, 0 when off; a value that cannot be read gives the
// row's whenUnreadable.
std::int32_t Read(const Seams& seams, Tweak tweak);
// The state a stored value means, read as Read reads it: `data` as the wide
// calls hold it (REG_SZ as UTF-16 decimal text, REG_DWORD as four bytes).
std::int32_t StateOfData(Tweak tweak, std::uint32_t type, const std::vector<std::uint8_t>& data);
// Stores on or off at once, then reads the setting back. When the setting
// does not read as asked yet and its key is missing, the key (and any missing
// key above it) is created to hold the value; switching the Encrypt item off
// deletes its value and so never creates anything.
WriteResult Write(const Seams& seams, Tweak tweak, bool on);

}  // namespace modTweaks
