// libFuzzer target over the registry value conversions: a value of any type
// and size, as another program may have left it, read through the typed
// query and both deliveries, then written back as each type the program
// writes. The first input byte is the stored type, the rest its data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "registry/MemoryRegistry.h"
#include "registry/modReg.h"

namespace {

const std::string kPath = "Software\\Fuzz";
const std::string kName = "v";

void Require(bool condition) {
    if (!condition) std::abort();
}

// A second reading of the integer rule, for a differential check: blanks
// around, an optional sign, decimal digits, within 32 bits.
std::optional<std::int32_t> ReferenceInteger(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    std::string core = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    bool negative = false;
    if (core[0] == '+' || core[0] == '-') {
        negative = core[0] == '-';
        core.erase(0, 1);
    }
    if (core.empty() || core.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    core.erase(0, core.find_first_not_of('0'));
    if (core.size() > 10) return std::nullopt;
    const long long v = negative ? -std::stoll("0" + core) : std::stoll("0" + core);
    if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(v);
}

modReg::Value Query(reg::MemoryRegistry& registry, reg::Status* status) {
    reg::UniqueKey key =
        reg::UniqueKey::Open(registry, reg::kCurrentUser, kPath, reg::kKeyQueryValue);
    Require(static_cast<bool>(key));
    modReg::Value value;
    *status = modReg::QueryTypedValue(registry, key.get(), kName, value);
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint32_t type = data[0];
    const std::vector<std::uint8_t> stored(data + 1, data + size);
    const std::string bytes(stored.begin(), stored.end());

    reg::MemoryRegistry registry;
    registry.Put(reg::kCurrentUser, kPath, kName, type, stored);

    // The typed read.
    reg::Status status = -2;
    const modReg::Value value = Query(registry, &status);
    const bool empty = std::holds_alternative<std::monostate>(value);
    if (type == reg::kRegSz) {
        Require(status == reg::kSuccess);
        Require(stored.empty() ? empty
                               : modReg::ToText(value) == bytes.substr(0, bytes.find('\0')));
    } else if (type == reg::kRegBinary) {
        Require(status == reg::kSuccess);
        Require(stored.empty() ? empty : std::get<std::string>(value) == bytes);
    } else if (type == reg::kRegDword && stored.size() == 4) {
        Require(status == reg::kSuccess);
        const std::uint32_t le = stored[0] | stored[1] << 8 | stored[2] << 16 |
                                 static_cast<std::uint32_t>(stored[3]) << 24;
        Require(std::get<std::int32_t>(value) == static_cast<std::int32_t>(le));
    } else {
        Require(status == modReg::kUnhandledType && empty);
    }

    // The same value named through the wide calls (as the current account's
    // is) reads the same: status, kind and text or number.
    {
        reg::UniqueKey key =
            reg::UniqueKey::Open(registry, reg::kCurrentUser, kPath, reg::kKeyQueryValue);
        modReg::Value wide;
        Require(modReg::QueryTypedValue(registry, key.get(), u"v", wide) == status);
        Require(wide == value);
    }

    // Both deliveries agree with the typed read and the conversions.
    const std::optional<std::int32_t> expected = modReg::ToInteger(value);
    if (const auto* text = std::get_if<std::string>(&value))
        Require(expected == ReferenceInteger(*text));
    std::int32_t number = -1;
    const bool readNumber = modReg::ReadValue(registry, reg::kCurrentUser, kPath, kName, number);
    Require(readNumber == (status == reg::kSuccess && expected.has_value()));
    Require(number == (expected ? *expected : 0));
    std::string text = "unset";
    const bool readText = modReg::ReadValue(registry, reg::kCurrentUser, kPath, kName, text);
    Require(readText == (status == reg::kSuccess) && text == modReg::ToText(value));

    // Written back as each type the program writes, the value reads as the
    // same text or number; a text that is no number is refused as a REG_DWORD
    // and leaves the stored value as it was.
    for (const std::uint32_t as : {reg::kRegSz, reg::kRegBinary, reg::kRegDword}) {
        reg::MemoryRegistry copy;
        copy.Put(reg::kCurrentUser, kPath, kName, type, stored);
        const reg::Status written =
            modReg::WriteValue(copy, reg::kCurrentUser, kPath, kName, value, as);
        if (as == reg::kRegDword && !expected) {
            Require(written == reg::kInvalidParameter);
            const auto kept = copy.Get(reg::kCurrentUser, kPath, kName);
            Require(kept && kept->type == type && kept->data == stored);
            continue;
        }
        Require(written == reg::kSuccess);
        reg::Status again = -2;
        const modReg::Value back = Query(copy, &again);
        Require(again == reg::kSuccess);
        const std::string original = modReg::ToText(value);
        if (as == reg::kRegSz)
            Require(modReg::ToText(back) == original.substr(0, original.find('\0')));
        else if (as == reg::kRegBinary)
            Require(modReg::ToText(back) == original);
        else
            Require(modReg::ToInteger(back) == expected);
    }
    return 0;
}
