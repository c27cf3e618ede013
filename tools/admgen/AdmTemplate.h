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

// What a policy author reads about one setting: its name in the editor and
// what each state of its policy does. Written for the template, since the
// help text speaks of check boxes.
struct PolicyText {
    const char* name;            // the policy's title, in plain words
    const char* what;            // what the setting is about
    const char* enabled;         // what Enabled makes Windows do
    const char* disabled;        // what Disabled makes Windows do
    const char* windowsDefault;  // what Windows does while the value is missing
    const char* takesEffect;
};

// One setting as the template sees it: where and how it is stored, the help
// topic that explains it, and its policy's texts (nullptr for a setting no
// policy can carry).
struct Setting {
    const modTweaks::Row* row;
    std::uint32_t helpTopic;
    const PolicyText* policy = nullptr;
};

// The program's settings in the window's order, each with the help topic of
// its check box and its policy's texts.
std::vector<Setting> ProgramSettings();

// The version the template's policies need, as the editor names it.
inline constexpr const char kSupported[] = "At least Windows XP";

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

// The whole .adm file in code page 1252 with CRLF line ends. Each policy
// takes its title and explanation from its PolicyText; `help` is the help
// text as the help compiler reads it, which names the settings left out.
std::string MakeTemplate(const std::vector<Setting>& settings, const hlpc::HelpProject& help);

}  // namespace admgen
