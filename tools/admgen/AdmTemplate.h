// The Group Policy administrative template (Dovrane.adm), made from the
// program's own table of settings and its help text, so that the template
// never lists a setting, a key or a value of its own.
//
// The file is the ANSI .adm language the Group Policy editor of Windows XP
// reads: one category "Dovrane" under CLASS MACHINE and one under CLASS USER,
// one policy per setting that an on/off policy can carry faithfully, and the
// texts in a [strings] section. The category's explanation names the settings
// left out and why.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "settings/modTweaks.h"
#include "tools/hlpc/HelpProject.h"

namespace admgen {

// One setting as the template sees it: where and how it is stored, and the
// help topic that explains it.
struct Setting {
    const modTweaks::Row* row;
    std::uint32_t helpTopic;
};

// The program's settings in the window's order, each with the help topic of
// its check box.
std::vector<Setting> ProgramSettings();

// Why a setting cannot be an on/off policy, or the empty text when it can.
std::string WhyNotAPolicy(const modTweaks::Row& row);

// The longest title the template writes (a category or a policy name): older
// editors keep no more.
constexpr std::size_t kMaxTitleLength = 255;
// The longest explanation, as written (with \n escapes): the explanation pane
// of the XP editor shows it whole without scrolling far.
constexpr std::size_t kMaxExplainLength = 2047;

// A setting or a text the format cannot carry; nothing is written.
class AdmError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The whole .adm file in code page 1252 with CRLF line ends. `help` is the
// help text as the help compiler reads it; each setting's policy takes its
// title and explanation from the topic its helpTopic names.
std::string MakeTemplate(const std::vector<Setting>& settings, const hlpc::HelpProject& help);

}  // namespace admgen
