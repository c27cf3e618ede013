// The Run dialog's history (HKEY_CURRENT_USER\...\Explorer\RunMRU) as the Run
// List shows and edits it, through the wide-character calls so that every
// entry keeps the exact name of its value: Apply deletes exactly the values
// of the entries the user unchecked, never another one.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "registry/RegistryApi.h"

namespace settings::runhistory {

// HKEY_CURRENT_USER\ this: the Run dialog's history, which the Run List edits.
extern const char16_t kRunMruPath[];

struct Entry {
    std::u16string text;       // the command, as the Run dialog shows it
    std::u16string valueName;  // the full name of the value it came from
};

// Room for a value's name (its NUL included) in characters, and for its data
// in characters of text. The first value that does not fit ends the list.
constexpr std::uint32_t kBufferSize = 2000;

// The entry an enumerated value stands for, if it stands for one. Left out,
// and so out of Apply's reach: the key's unnamed default value, the shell's
// own order ("MRUList", in any case), a name holding a NUL (no call can name
// that value, and the name up to the NUL would be another one), and data too
// short to hold the shell's ending ("\1" and a NUL). Whatever the type, the
// data is read as UTF-16 text up to that ending, shown up to its first NUL.
std::optional<Entry> DecodeEntry(const std::u16string& name, const std::uint8_t* data,
                                 std::uint32_t dataSize);

// Every entry, in the order the registry lists them. A key that cannot be
// opened gives none; *status (when given) gets the open's code.
std::vector<Entry> Load(reg::RegistryApi& registry, reg::Status* status = nullptr);

// Deletes the value `valueName` of the history, exactly that one: the code
// of the open or of the delete, 0 on success. A name holding a NUL is
// refused with kInvalidParameter, since the call would take it as the name
// up to the NUL.
reg::Status Delete(reg::RegistryApi& registry, const std::u16string& valueName);

}  // namespace settings::runhistory
