#include "settings/modTweaks.h"

#include <algorithm>

#include "registry/modReg.h"

namespace modTweaks {

namespace {

// The setting's state from the value read as a number, when it was read.
std::int32_t StateOf(const Row& row, bool read, std::int32_t n) {
    if (!read) return row.whenUnreadable;
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

// Name: std::string for a row's own ASCII name, std::u16string for the
// logon name, which goes through the wide calls exactly as it is.
template <class Name>
std::int32_t ReadRow(const Seams& seams, const Row& row, const Name& name) {
    std::int32_t n = 0;
    const bool read = modReg::ReadValue(seams.registry, row.root, row.keyPath, name, n);
    return StateOf(row, read, n);
}

// Why a write did not take, from the code of the call that failed: a refused
// open or create needs administrator rights; otherwise whether the key is
// there at all.
Outcome WhyNotHeld(const Seams& seams, const Row& row, reg::Status status) {
    if (status == reg::kAccessDenied) return Outcome::kRefused;
    reg::Status open = reg::kSuccess;
    reg::UniqueKey::Open(seams.registry, row.root, row.keyPath, reg::kKeyQueryValue, &open);
    return open == reg::kFileNotFound ? Outcome::kKeyMissing : Outcome::kNotHeld;
}

template <class Name>
WriteResult WriteRow(const Seams& seams, const Row& row, const Name& name, bool on) {
    const std::int32_t wanted = on ? 1 : 0;
    // The probe: the value as a number gives the setting's state now, and the
    // bits that NumLock's writer keeps.
    std::int32_t n = 0;
    const bool probed = modReg::ReadValue(seams.registry, row.root, row.keyPath, name, n);
    const std::int32_t before = StateOf(row, probed, n);
    // A failed probe is not followed by CreateKey(key path, value name): that
    // would only add an empty subkey named like the value beside it.

    reg::Status status = reg::kSuccess;
    if (!on && row.offDeletes) {
        status = modReg::DeleteValue(seams.registry, row.root, row.keyPath, name);
    } else {
        std::int32_t stored = on ? row.on : row.off;
        if (row.keepOtherBitsOf != 0 && probed)
            stored = on ? (n | row.keepOtherBitsOf) : (n & ~row.keepOtherBitsOf);
        // Several keys are missing on a fresh Windows XP, so a change the user
        // asks for creates its key. A setting that already reads as asked is
        // only written again where it is: a missing key reads as the row's
        // default, and starting the program must not create keys to say so.
        status =
            before != wanted
                ? modReg::WriteValueCreatingKey(seams.registry, row.root, row.keyPath, name, stored,
                                                row.type)
                : modReg::WriteValue(seams.registry, row.root, row.keyPath, name, stored, row.type);
    }

    const std::int32_t reads = ReadRow(seams, row, name);
    if (reads == wanted) return {Outcome::kHeld, reads};
    return {WhyNotHeld(seams, row, status), reads};
}

}  // namespace

const Row (&Rows())[kTweakCount] {
    return kRows;
}

const Row& RowOf(Tweak tweak) {
    return kRows[static_cast<std::size_t>(tweak)];
}

std::u16string CurrentLogonName(settings::UserNameApi& userName) {
    char16_t buffer[100] = {};
    std::uint32_t size = 100;
    if (!userName.GetUserNameW(buffer, &size)) return std::u16string();
    // Up to the first NUL, and never past the buffer.
    const char16_t* end = std::find(buffer, buffer + 100, u'\0');
    return std::u16string(buffer, static_cast<std::size_t>(end - buffer));
}

std::int32_t Read(const Seams& seams, Tweak tweak) {
    const Row& row = RowOf(tweak);
    if (row.valueName != nullptr) return ReadRow(seams, row, std::string(row.valueName));
    // The empty name would be the key's default value, which is nobody's
    // account: such a row is neither read nor written.
    const std::u16string name = CurrentLogonName(seams.userName);
    if (name.empty()) return row.whenUnreadable;
    return ReadRow(seams, row, name);
}

std::int32_t StateOfData(Tweak tweak, std::uint32_t type, const std::vector<std::uint8_t>& data) {
    modReg::Value value;
    if (type == reg::kRegDword && data.size() == 4) {
        value = std::int32_t(std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 |
                             std::uint32_t(data[2]) << 16 | std::uint32_t(data[3]) << 24);
    } else if (type == reg::kRegSz) {
        std::string text;  // up to the first NUL; no digit is outside ASCII
        for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
            const char16_t c = char16_t(data[i] | data[i + 1] << 8);
            if (c == 0) break;
            text += c < 0x80 ? char(c) : 'x';
        }
        value = text;
    } else {
        return RowOf(tweak).whenUnreadable;
    }
    const std::optional<std::int32_t> n = modReg::ToInteger(value);
    return StateOf(RowOf(tweak), n.has_value(), n.value_or(0));
}

WriteResult Write(const Seams& seams, Tweak tweak, bool on) {
    const Row& row = RowOf(tweak);
    if (row.valueName != nullptr) return WriteRow(seams, row, std::string(row.valueName), on);
    const std::u16string name = CurrentLogonName(seams.userName);
    if (name.empty()) {
        const std::int32_t reads = row.whenUnreadable;
        return {reads == (on ? 1 : 0) ? Outcome::kHeld : Outcome::kNoUserName, reads};
    }
    return WriteRow(seams, row, name, on);
}

}  // namespace modTweaks
