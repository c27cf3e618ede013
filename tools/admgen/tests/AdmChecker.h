// A small reader of the .adm language, strict where the Group Policy editor
// of Windows XP refuses a file: blocks that do not close, a !!name with no
// string, a policy without its key or value, an over-long line.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace admgen {

// A policy as the file states it; values are as written after the keyword
// (`NUMERIC 1`, `"1"`, `DELETE`), names with their quotes removed.
struct AdmPolicy {
    std::string cls;   // MACHINE or USER
    std::string name;  // the !!name of its title
    std::string keyName, valueName, valueOn, valueOff, explain;
};

struct AdmReading {
    std::vector<std::string> faults;  // "line N: what", in file order
    std::vector<AdmPolicy> policies;
    std::map<std::string, std::string> strings;  // [strings], escapes as written
    std::vector<std::string> categoryExplains;   // the !!names of the categories' explanations
};

// The longest line outside [strings] (a registry key path is at most 255
// characters too). A string is held to the limit of its use: a title to
// kMaxTitleLength, an explanation to kMaxExplainLength.
constexpr std::size_t kMaxAdmLine = 255;

AdmReading ReadAdm(std::string_view file);

}  // namespace admgen
