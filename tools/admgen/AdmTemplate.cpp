#include "tools/admgen/AdmTemplate.h"

#include <set>
#include <string_view>
#include <utility>

#include "registry/RegistryApi.h"

namespace admgen {

namespace {

constexpr const char* kCategory = "DovraneCategory";
constexpr const char* kSupportedName = "SUPPORTED_WindowsXP";

// The policies' texts, by setting; NumLock and the current account have no
// policy (WhyNotAPolicy).
struct PolicyRow {
    modTweaks::Tweak tweak;
    PolicyText text;
};
// clang-format off
constexpr PolicyRow kPolicyTexts[] = {
    {modTweaks::Tweak::kEncryptMenu,
     {"Add Encrypt and Decrypt to the shortcut menu of files and folders",
      "Puts Encrypt and Decrypt on the menu that appears when a user right-clicks a file or folder "
      "in Windows Explorer. Encryption needs Windows XP Professional and a drive formatted with "
      "NTFS.",
      "the items are on the menu.",
      "the value is deleted and the items are not on the menu. Encryption stays available: "
      "right-click the file, click Properties, and on the General tab click Advanced.",
      "the items are not on the menu.",
      "in Explorer windows opened from then on."}},
    {modTweaks::Tweak::kCleanupWizard,
     {"Run the Desktop Cleanup Wizard every 60 days",
      "The Desktop Cleanup Wizard offers to move desktop shortcuts that have not been used into "
      "a folder called Unused Desktop Shortcuts.",
      "the wizard runs every 60 days.",
      "the wizard does not run by itself. Users can still run it: right-click the desktop, click "
      "Properties, and on the Desktop tab click Customize Desktop, then Clean Desktop Now.",
      "Windows runs the wizard every 60 days.",
      "the next time the user logs on."}},
    {modTweaks::Tweak::kClearPageFile,
     {"Clear the virtual memory page file at shutdown",
      "The page file can hold pieces of what programs had in memory, passwords included. Cleared "
      "at shutdown, nothing of them is left on the disk while Windows is not running; shutting "
      "down takes longer, minutes with a large page file.",
      "Windows overwrites the page file at every shutdown.",
      "Windows leaves the page file as it is at shutdown.",
      "Windows does not clear the page file.",
      "after Windows has been restarted once."}},
    {modTweaks::Tweak::kAdminOnWelcome,
     {"Show the Administrator account on the Welcome screen",
      "Windows XP hides the built-in Administrator account on the Welcome screen while other "
      "administrator accounts exist.",
      "the Administrator account is on the Welcome screen.",
      "the Administrator account is not on the Welcome screen. It can still log on: press "
      "Ctrl+Alt+Delete twice at the Welcome screen.",
      "Windows shows the Administrator account only when there is no other administrator account.",
      "the next time the Welcome screen appears."}},
    {modTweaks::Tweak::kKeepRas,
     {"Keep dial-up connections open during Fast User Switching",
      "Fast User Switching lets another user log on while the first user's programs keep "
      "running.",
      "dial-up connections stay open when a user logs off or switches to another user.",
      "dial-up connections are closed when a user logs off or switches to another user.",
      "Windows closes dial-up connections when a user logs off or switches.",
      "the next time a user logs off or switches."}},
    {modTweaks::Tweak::kLowSpaceChecks,
     {"Turn off the low disk space warnings",
      "Windows warns in the notification area when a drive runs low on free space.",
      "Windows shows no low disk space warnings.",
      "Windows shows the low disk space warnings.",
      "Windows shows the low disk space warnings.",
      "the next time the user logs on."}},
};
// clang-format on

const PolicyText* PolicyTextOf(std::size_t index) {
    for (const PolicyRow& p : kPolicyTexts)
        if (static_cast<std::size_t>(p.tweak) == index) return &p.text;
    return nullptr;
}

const char* RootName(reg::Key root) {
    switch (root) {
        case reg::kCurrentUser:
            return "HKEY_CURRENT_USER";
        case reg::kLocalMachine:
            return "HKEY_LOCAL_MACHINE";
        case reg::kUsers:
            return "HKEY_USERS";
    }
    return "an unnamed root";
}

// The template class that reaches a root, or nullptr.
const char* ClassOf(reg::Key root) {
    if (root == reg::kLocalMachine) return "MACHINE";
    if (root == reg::kCurrentUser) return "USER";
    return nullptr;
}

// A text as the value of an .adm string. Line breaks become \n, the editor's
// escape for them; a double quote would end the string, so it becomes a
// single one. Any other backslash is written as it is, which is only safe
// where the editor cannot take it for an escape of its own.
std::string AdmText(std::string_view text, const std::string& what) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        if (c < 0x20 || c == 0x7F) throw AdmError(what + ": a control character in the text");
        if (c == '\\') {
            const char next = i + 1 < text.size() ? text[i + 1] : '\0';
            if (next == '\0' || next == '\\' || next == '"' || (next >= 'a' && next <= 'z'))
                throw AdmError(what + ": a backslash the editor would read as an escape");
        }
        out += c == '"' ? '\'' : static_cast<char>(c);
    }
    return out;
}

// A key path or value name in quotes, as KEYNAME and VALUENAME take it.
std::string Quoted(std::string_view name, const std::string& what) {
    for (char c : name) {
        if (c == '"' || static_cast<unsigned char>(c) < 0x20)
            throw AdmError(what + ": the name cannot be quoted");
    }
    return "\"" + std::string(name) + "\"";
}

// A string name for a setting: its value name, in the letters a name may have.
std::string Identifier(std::string_view valueName) {
    std::string id;
    for (char c : valueName) {
        const bool plain =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        id += plain ? c : '_';
    }
    if (id.empty() || (id[0] >= '0' && id[0] <= '9')) id.insert(0, "V");
    return id;
}

// The data VALUEON or VALUEOFF gives: a number as NUMERIC, a number kept as
// text as the same decimal text the program stores.
std::string Data(const modTweaks::Row& row, std::int32_t n) {
    if (row.type == reg::kRegDword)
        return "NUMERIC " + std::to_string(static_cast<std::uint32_t>(n));
    return "\"" + std::to_string(n) + "\"";
}

const hlpc::Topic& TopicOf(const hlpc::HelpProject& help, std::uint32_t number) {
    for (const hlpc::Topic& t : help.topics)
        if (t.mapNumber == number) return t;
    throw AdmError("the help text has no topic " + std::to_string(number));
}

struct Policy {
    const modTweaks::Row* row;
    std::string id;
};

class Writer {
  public:
    void Line(const std::string& text = std::string()) { file_ += text + "\r\n"; }
    // Defines the string `name`; each name once.
    void String(const std::string& name, const std::string& value) {
        if (!names_.insert(name).second)
            throw AdmError("two settings would share the name " + name);
        strings_.emplace_back(name, value);
    }
    void Class(const char* name, const std::vector<Policy>& policies);
    std::string Finish();

  private:
    std::string file_;
    std::set<std::string> names_;
    std::vector<std::pair<std::string, std::string>> strings_;
};

void Writer::Class(const char* name, const std::vector<Policy>& policies) {
    if (policies.empty()) return;
    Line(std::string("CLASS ") + name);
    Line();
    Line(std::string("CATEGORY !!") + kCategory);
    // Older editors know no explanation for a category.
    Line("  #if version >= 4");
    Line(std::string("    EXPLAIN !!") + kCategory + "_Explain");
    Line("  #endif");
    for (const Policy& p : policies) {
        const modTweaks::Row& row = *p.row;
        Line();
        Line("  POLICY !!" + p.id);
        Line("    KEYNAME " + Quoted(row.keyPath, p.id));
        // The editor of Windows 2000 knows no SUPPORTED.
        Line("    #if version >= 4");
        Line(std::string("      SUPPORTED !!") + kSupportedName);
        Line("    #endif");
        Line("    EXPLAIN !!" + p.id + "_Explain");
        Line("    VALUENAME " + Quoted(row.valueName, p.id));
        Line("    VALUEON " + Data(row, row.on));
        Line("    VALUEOFF " + (row.offDeletes ? std::string("DELETE") : Data(row, row.off)));
        Line("  END POLICY");
    }
    Line();
    Line("END CATEGORY");
    Line();
}

std::string Writer::Finish() {
    Line("[strings]");
    for (const auto& [name, value] : strings_) Line(name + "=\"" + value + "\"");
    return std::move(file_);
}

// The category's explanation: what a policy here does, and which settings
// are not here and why.
std::string CategoryText(const std::vector<std::string>& leftOut) {
    std::string text =
        "Dovrane's settings. A policy here sets the registry value that the matching check box "
        "on Dovrane's Tweaks tab sets, so Dovrane need not be installed where it applies.\n\n"
        "Most of them are preferences, not policies: their values lie outside the Policies keys, "
        "so Windows keeps them when a policy is set back to Not Configured, and the editor lists "
        "them only while View, Filtering, 'Only show policy settings that can be fully managed' "
        "is cleared.";
    if (!leftOut.empty()) {
        text += "\n\nNot in this template:";
        for (const std::string& line : leftOut) text += "\n- " + line;
    }
    return text;
}

std::string Title(const PolicyText& text) {
    const std::string title = AdmText(text.name, text.name);
    if (title.size() > kMaxTitleLength)
        throw AdmError(std::string(text.name) + ": the title is too long for a policy");
    return title;
}

// Whether Group Policy owns the value: under a Policies key it is removed
// again when the policy is no longer set; anywhere else it stays.
bool UnderPolicies(const modTweaks::Row& row) {
    return std::string_view(row.keyPath).find("\\Policies\\") != std::string_view::npos;
}

// The explanation a policy author reads: what the setting is, what each of
// Enabled, Disabled and Not Configured does, where the value lives.
std::string Explanation(const modTweaks::Row& row, const PolicyText& text) {
    std::string out = std::string(text.what) + "\n\nEnabled: " + text.enabled +
                      "\n\nDisabled: " + text.disabled + "\n\nNot Configured: ";
    if (UnderPolicies(row))
        out += std::string("the value is removed, and ") + text.windowsDefault;
    else
        out += std::string(
                   "the registry is left as it is. This is a preference, not a policy: a value "
                   "that Enabled or Disabled wrote stays after the policy is set back to Not "
                   "Configured, so set Disabled to undo Enabled. Where the value was never "
                   "written, ") +
               text.windowsDefault;
    out += std::string("\n\nRegistry value: ") + row.valueName + " in " + RootName(row.root) +
           "\\" + row.keyPath + ".\n\nTakes effect: " + text.takesEffect;
    return out;
}

}  // namespace

std::vector<Setting> ProgramSettings() {
    std::vector<Setting> settings;
    const auto& rows = modTweaks::Rows();
    for (std::size_t i = 0; i < modTweaks::kTweakCount; ++i) {
        if (rows[i].helpTopic <= 0)
            throw AdmError("setting " + std::to_string(i + 1) + " has no help topic");
        settings.push_back(
            {&rows[i], static_cast<std::uint32_t>(rows[i].helpTopic), PolicyTextOf(i)});
    }
    return settings;
}

std::string WhyNotAPolicy(const modTweaks::Row& row) {
    std::vector<std::string> why;
    if (row.valueName == nullptr)
        why.push_back(
            "its value is named after the user who runs Dovrane, so no template can name it");
    if (ClassOf(row.root) == nullptr)
        why.push_back(std::string("it lies under ") + RootName(row.root) + "\\" + row.keyPath +
                      ", which no template class reaches");
    if (row.keepOtherBitsOf != 0)
        why.push_back(
            "Dovrane switches one bit of its number and keeps the others, which fixed on "
            "and off data cannot do");
    if (row.type != reg::kRegDword && row.type != reg::kRegSz)
        why.push_back("its value type has no on and off data in a template");
    std::string text;
    for (const std::string& w : why) text += (text.empty() ? "" : "; ") + w;
    return text.empty() ? text : text + ".";
}

std::string MakeTemplate(const std::vector<Setting>& settings, const hlpc::HelpProject& help) {
    Writer out;
    std::vector<Policy> machine;
    std::vector<Policy> user;
    std::vector<std::string> leftOut;
    std::vector<std::string> leftOutTitles;
    for (const Setting& s : settings) {
        const modTweaks::Row& row = *s.row;
        const hlpc::Topic& topic = TopicOf(help, s.helpTopic);
        const std::string why = WhyNotAPolicy(row);
        if (!why.empty()) {
            std::string line = topic.title + ": " + why;
            // A profile carries every setting whose value has one name for everyone.
            if (row.valueName != nullptr)
                line += row.keepOtherBitsOf != 0
                            ? " Settings profiles (Dovrane.exe /export and /import) carry that "
                              "bit alone."
                            : " Settings profiles (Dovrane.exe /export and /import) carry it.";
            leftOut.push_back(std::move(line));
            leftOutTitles.push_back(topic.title);
            continue;
        }
        if (s.policy == nullptr) throw AdmError(topic.title + ": no policy text");
        const Policy policy{&row, Identifier(row.valueName)};
        const std::string explain = AdmText(Explanation(row, *s.policy), s.policy->name);
        if (explain.size() > kMaxExplainLength)
            throw AdmError(std::string(s.policy->name) + ": the text is too long for a policy");
        out.String(policy.id, Title(*s.policy));
        out.String(policy.id + "_Explain", explain);
        (row.root == reg::kLocalMachine ? machine : user).push_back(policy);
    }
    const std::string category = AdmText(CategoryText(leftOut), "the category");
    if (category.size() > kMaxExplainLength) throw AdmError("the category's text is too long");
    if (!machine.empty() || !user.empty()) out.String(kSupportedName, kSupported);
    out.String(kCategory, "Dovrane");
    out.String(std::string(kCategory) + "_Explain", category);

    out.Line("; Dovrane.adm: Dovrane's settings for the Group Policy editor.");
    out.Line("; Made by the build from Dovrane's table of settings and its help text.");
    out.Line("; In the editor, Administrative Templates, Add/Remove Templates adds it;");
    out.Line("; most settings are preferences, which the editor lists only when View,");
    out.Line("; Filtering, 'Only show policy settings that can be fully managed' is cleared.");
    // For whoever reads the file rather than the editor's explanation.
    if (!leftOutTitles.empty()) out.Line("; Not in it (the category's explanation says why):");
    for (const std::string& title : leftOutTitles) out.Line(";   " + title);
    out.Line();
    out.Class("MACHINE", machine);
    out.Class("USER", user);
    return out.Finish();
}

}  // namespace admgen
