// A small reader of the part of the .adm language that the generator writes,
// strict where the Group Policy editor of Windows XP refuses a file: blocks
// that do not close, a keyword out of place, a !!name with no string, a
// policy without its key or value, an over-long line or string.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace admgen {

// A policy as the file states it; on and off data as written after the
// keyword (`NUMERIC 1`, `"1"`, `DELETE`), names without quotes or !!.
struct AdmPolicy {
    std::string cls;  // MACHINE or USER
    std::string name, keyName, valueName, valueOn, valueOff, explain, supported;
};

struct AdmReading {
    std::vector<std::string> faults;  // "line N: what", in file order
    std::vector<AdmPolicy> policies;
    std::map<std::string, std::string> strings;  // [strings], escapes as written
};

// The longest line outside [strings] (a registry key path is at most 255
// characters too). A string is held to the limit of its use: a title to
// kMaxTitleLength, an explanation to kMaxExplainLength.
constexpr std::size_t kMaxAdmLine = 255;

AdmReading ReadAdm(std::string_view file);

}  // namespace admgen
