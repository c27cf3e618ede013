// The eight Windows settings the program switches: where each lives, how its
// on and off states are stored, and how a stored value reads back. One data
// row per setting; Read and Write run on the rows. The window ties each
// setting to its box in ui/TweaksTab.h (kSettings); the command line and the
// Group Policy template name a setting by its row alone.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "registry/RegistryApi.h"
#include "settings/UserName.h"

namespace modTweaks {

// In the order the main window reads them.
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
constexpr std::size_t kTweakCount = 8;

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
};

const std::array<Row, kTweakCount>& Rows();
const Row& RowOf(Tweak tweak);

// What the catalogue reaches Windows through.
struct Seams {
    reg::RegistryApi& registry;
    reg::UserNameApi& userName;
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
std::u16string CurrentLogonName(reg::UserNameApi& userName);

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
