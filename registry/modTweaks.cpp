#include "registry/modTweaks.h"

#include <cstring>

#include "registry/modReg.h"

namespace modTweaks {

namespace {

using reg::kRegDword;
using reg::kRegSz;

constexpr const char* kUserList =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\SpecialAccounts\\UserList";

// clang-format off
const std::array<Row, kTweakCount> kRows = {{
    // root, key path, value name,
    //   type, on, off, off deletes, keep other bits of, probe, read test, when unreadable
    {reg::kUsers, ".Default\\Control Panel\\Keyboard", "InitialKeyboardIndicators",
        kRegSz, 2, 0, false, 2, ProbeAs::kInteger, ReadTest::kBit1Set, 0},
    {reg::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced",
        "EncryptionContextMenu",
        kRegDword, 1, 0, true, 0, ProbeAs::kText, ReadTest::kBit0Set, 0},
    // The box names the wizard's on state; the value is its "do not run" switch.
    {reg::kCurrentUser,
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\CleanupWiz", "NoRun",
        kRegDword, 0, 1, false, 0, ProbeAs::kText, ReadTest::kIsZero, 0},
    {reg::kLocalMachine,
        "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
        "ClearPageFileAtShutdown",
        kRegDword, 1, 0, false, 0, ProbeAs::kInteger, ReadTest::kBit0Set, 0},
    {reg::kLocalMachine, kUserList, "Administrator",
        kRegDword, 1, 0, false, 0, ProbeAs::kInteger, ReadTest::kBit0Set, 0},
    // An account without a value here is shown on the Welcome screen.
    {reg::kLocalMachine, kUserList, nullptr,
        kRegDword, 1, 0, false, 0, ProbeAs::kInteger, ReadTest::kBit0Set, 1},
    {reg::kLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
        "KeepRasConnections",
        kRegSz, 1, 0, false, 0, ProbeAs::kText, ReadTest::kBit0Set, 0},
    {reg::kCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
        "NoLowDiskSpaceChecks",
        kRegDword, 1, 0, false, 0, ProbeAs::kInteger, ReadTest::kBit0Set, 0},
}};
// clang-format on

// The row's value name; false when it is the logon name and that cannot be
// read. The empty name would be the key's default value, which is nobody's
// account, so such a row is neither read nor written.
bool ValueName(const Seams& seams, const Row& row, std::string& name) {
    if (row.valueName != nullptr) {
        name = row.valueName;
        return true;
    }
    name = CurrentLogonName(seams.userName);
    return !name.empty();
}

std::int32_t ReadRow(const Seams& seams, const Row& row, const std::string& name) {
    std::int32_t n = 0;
    if (!modReg::ReadValue(seams.registry, row.root, row.keyPath, name, n))
        return row.whenUnreadable;
    switch (row.test) {
        case ReadTest::kBit0Set:
            return (n & 1) != 0 ? 1 : 0;
        case ReadTest::kBit1Set:
            return (n & 2) != 0 ? 1 : 0;
        case ReadTest::kIsZero:
            return n == 0 ? 1 : 0;
    }
    return row.whenUnreadable;
}

// Why a write did not take: whether the key may be opened for writing.
Outcome WhyNotHeld(const Seams& seams, const Row& row) {
    reg::Status status = reg::kSuccess;
    reg::UniqueKey::Open(seams.registry, row.root, row.keyPath, reg::kKeySetValue, &status);
    if (status == reg::kAccessDenied) return Outcome::kRefused;
    if (status == reg::kFileNotFound) return Outcome::kKeyMissing;
    return Outcome::kNotHeld;
}

}  // namespace

const std::array<Row, kTweakCount>& Rows() {
    return kRows;
}

const Row& RowOf(Tweak tweak) {
    return kRows[static_cast<std::size_t>(tweak)];
}

std::string CurrentLogonName(reg::UserNameApi& userName) {
    char buffer[100] = {};
    std::uint32_t size = sizeof buffer;
    if (!userName.GetUserNameA(buffer, &size)) return std::string();
    // Up to the first NUL, and never past the buffer.
    const void* nul = std::memchr(buffer, 0, sizeof buffer);
    const char* end = nul != nullptr ? static_cast<const char*>(nul) : buffer + sizeof buffer;
    return std::string(buffer, static_cast<std::size_t>(end - buffer));
}

std::int32_t Read(const Seams& seams, Tweak tweak) {
    const Row& row = RowOf(tweak);
    std::string name;
    if (!ValueName(seams, row, name)) return row.whenUnreadable;
    return ReadRow(seams, row, name);
}

WriteResult Write(const Seams& seams, Tweak tweak, bool on) {
    const Row& row = RowOf(tweak);
    const std::int32_t wanted = on ? 1 : 0;
    std::string name;
    if (!ValueName(seams, row, name)) {
        const std::int32_t reads = row.whenUnreadable;
        return {reads == wanted ? Outcome::kHeld : Outcome::kNoUserName, reads};
    }

    std::int32_t n = 0;
    bool probed = false;
    if (row.probe == ProbeAs::kInteger) {
        probed = modReg::ReadValue(seams.registry, row.root, row.keyPath, name, n);
    } else {
        std::string text;
        probed = modReg::ReadValue(seams.registry, row.root, row.keyPath, name, text);
    }
    // A failed probe is not followed by CreateKey(key path, value name): that
    // would only add an empty subkey named like the value beside it, and the
    // write below needs nothing but the key path, which it does not create.

    if (!on && row.offDeletes) {
        modReg::DeleteValue(seams.registry, row.root, row.keyPath, name);
    } else {
        std::int32_t stored = on ? row.on : row.off;
        if (row.keepOtherBitsOf != 0 && probed)
            stored = on ? (n | row.keepOtherBitsOf) : (n & ~row.keepOtherBitsOf);
        modReg::WriteValue(seams.registry, row.root, row.keyPath, name, stored, row.type);
    }

    const std::int32_t reads = ReadRow(seams, row, name);
    if (reads == wanted) return {Outcome::kHeld, reads};
    return {WhyNotHeld(seams, row), reads};
}

}  // namespace modTweaks
