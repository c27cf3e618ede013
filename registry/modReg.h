// Single registry values: open a key with the access the operation needs,
// do one thing, close the key. Nothing is cached and no handle outlives a
// call. Nothing here shows anything to the user.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "registry/RegistryApi.h"

namespace modReg {

// A value as the program holds it: nothing, a 32-bit integer or a text.
// REG_BINARY data travels as a text of one character per byte.
using Value = std::variant<std::monostate, std::int32_t, std::string>;

// QueryTypedValue's result for a stored value it does not read.
constexpr reg::Status kUnhandledType = -1;

// Writes `value` as `type` into the open key `handle`:
//  REG_SZ     its decimal or literal text and one NUL, size counting the NUL;
//  REG_BINARY its text's bytes, no NUL;
//  REG_DWORD  the number as four little-endian bytes.
// Returns RegSetValueExA's code. Nothing is written, and kInvalidParameter
// is returned, for another type or for a REG_DWORD from a text that is not
// a 32-bit decimal number.
reg::Status SetTypedValue(reg::RegistryApi& api, reg::Key handle, const std::string& name,
                          std::uint32_t type, const Value& value);

// Reads the value `name` of the open key `handle` into `out`: REG_SZ as its
// text up to the first NUL, REG_BINARY as its bytes, REG_DWORD as the number.
// Returns 0, the failing call's code, or kUnhandledType for any other type
// and for a REG_DWORD not stored in exactly 4 bytes (`out` untouched then).
// A REG_SZ stored with size 0 returns 0 and leaves `out` untouched.
reg::Status QueryTypedValue(reg::RegistryApi& api, reg::Key handle, const std::string& name,
                            Value& out);

// Creates `newName` directly under the existing key root\parentPath; leaves an
// existing key as it is. A missing parent means nothing is created.
void CreateKey(reg::RegistryApi& api, reg::Key root, const std::string& parentPath,
               const std::string& newName);

// Stores one value (SetTypedValue's rules) in the existing key root\path. A
// missing key is not created: nothing changes. Returns the code of the call
// that failed (the open or the write), or 0.
reg::Status WriteValue(reg::RegistryApi& api, reg::Key root, const std::string& path,
                       const std::string& name, const Value& value, std::uint32_t type);

// As WriteValue, but a missing root\path is made first: RegCreateKeyExA
// creates it and every missing key above it, asked only for the rights to set
// and query values. Nothing else is created; a key that exists, or that may
// not be opened for writing, is never passed to RegCreateKeyExA. Returns the
// code of the call that failed (the open, the create or the write), or 0.
reg::Status WriteValueCreatingKey(reg::RegistryApi& api, reg::Key root, const std::string& path,
                                  const std::string& name, const Value& value, std::uint32_t type);

// Reads one value and delivers it as the caller's kind. True when it was read.
//  - Missing key: false, and `out` is the number 0 (0, or the text "0").
//  - Key there but the value missing or unreadable: false, `out` empty
//    (0, or the empty text).
//  - Into an integer, a text must be a decimal 32-bit number ("2", " -7 ");
//    any other text (or a number beyond the 32-bit range) is taken as
//    unreadable: false and 0. The callers read on/off flags, and guessing a
//    number from "abc" could switch a setting nobody asked for.
//  - Into a text, a number becomes its decimal text.
bool ReadValue(reg::RegistryApi& api, reg::Key root, const std::string& path,
               const std::string& name, std::int32_t& out);
bool ReadValue(reg::RegistryApi& api, reg::Key root, const std::string& path,
               const std::string& name, std::string& out);

// Removes one value of root\path; a missing key or value changes nothing.
// Returns the code of the call that failed (the open or the delete), or 0.
reg::Status DeleteValue(reg::RegistryApi& api, reg::Key root, const std::string& path,
                        const std::string& name);

// The same for a value named exactly, through the wide calls: a name in any
// script (the current account's logon name) is read, written and deleted as
// itself, never as its nearest ANSI spelling, which may be another value.
// Key paths stay ASCII constants. REG_SZ data is UTF-16 there; the text the
// program holds is what an ANSI caller would see (digits, for the settings).
reg::Status QueryTypedValue(reg::RegistryApi& api, reg::Key handle, const std::u16string& name,
                            Value& out);
reg::Status WriteValue(reg::RegistryApi& api, reg::Key root, const std::string& path,
                       const std::u16string& name, const Value& value, std::uint32_t type);
reg::Status WriteValueCreatingKey(reg::RegistryApi& api, reg::Key root, const std::string& path,
                                  const std::u16string& name, const Value& value,
                                  std::uint32_t type);
bool ReadValue(reg::RegistryApi& api, reg::Key root, const std::string& path,
               const std::u16string& name, std::int32_t& out);
reg::Status DeleteValue(reg::RegistryApi& api, reg::Key root, const std::string& path,
                        const std::u16string& name);

// The delivery conversions: empty is 0 or the empty text; a text becomes a
// number only when it is a decimal 32-bit integer, spaces around it allowed.
std::optional<std::int32_t> ToInteger(const Value& value);
std::string ToText(const Value& value);

}  // namespace modReg
