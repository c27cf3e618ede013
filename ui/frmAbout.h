// The About box's portable half: its design as layout rows, its load texts,
// and the start of Windows System Information (StartSysInfo, GetKeyValue)
// over the registry and program seams. The dialog itself is frmAboutWin32.
#pragma once
#include <array>
#include <string>

#include "common/version.h"
#include "registry/RegistryApi.h"
#include "shell/Prompter.h"
#include "ui/ControlIds.h"
#include "ui/Layout.h"

namespace ui {

// The About box's client area, in twips.
inline constexpr int kAboutWidthTwips = 5730;
inline constexpr int kAboutHeightTwips = 3855;

// In tab order: "OK" first.
// clang-format off
inline constexpr std::array<LayoutRow, 9> kAboutControls = {{
    {"cmdOK", kAboutCmdOK, ControlKind::DefaultButton, Page::Window, {4245, 2865, 1260, 345}, "OK", 0, {}, Align::Left},
    {"cmdSysInfo", kAboutCmdSysInfo, ControlKind::Button, Page::Window, {4260, 3315, 1245, 345}, "&System Info...", 0, {}, Align::Left},
    {"picIcon", kAboutPicIcon, ControlKind::Icon, Page::Window, {240, 240, 540, 540}, "", 0, {}, Align::Left},
    {"lblTitle", kAboutLblTitle, ControlKind::Label, Page::Window, {1050, 240, 3885, 480}, "Application Title", 0, {}, Align::Left},
    {"lblVersion", kAboutLblVersion, ControlKind::Label, Page::Window, {1050, 720, 3885, 225}, "Version", 0, {}, Align::Left},
    {"lblDescription", kAboutLblDescription, ControlKind::Label, Page::Window, {1050, 960, 3885, 690},
     "Dovrane allows the user to select certain options in Windows XP that usually require editing the system registry.", 0, {}, Align::Left},
    {"Label1", kAboutLabel1, ControlKind::Label, Page::Window, {1080, 1680, 3855, 255}, "Support: " DOVRANE_SUPPORT_MAIL, 0, {}, Align::Left},
    {"Label2", kAboutLabel2, ControlKind::Label, Page::Window, {1080, 2040, 3855, 495},
     "Dovrane is Ad Supported. Banner Ad are download from your internet connection.", 0, {}, Align::Left},
    {"lblDisclaimer", kAboutLblDisclaimer, ControlKind::Label, Page::Window, {255, 2865, 3870, 825},
     "Warning: This software is provided AS IS.", 0, {}, Align::Left},
}};
// clang-format on

// The separator above the buttons: a grey line with a white one, two pixels
// wide, drawn over it, back to front.
struct AboutLine {
    int x1, y1, x2, y2;  // twips
    unsigned char red, green, blue;
    int widthPixels;
};
inline constexpr std::array<AboutLine, 2> kAboutLines = {{
    {120, 2640, 5684, 2640, 128, 128, 128, 1},  // Line1(1)
    {120, 2640, 5669, 2640, 255, 255, 255, 2},  // Line1(0)
}};

// What Form_Load sets, in its order: the caption, lblVersion, lblTitle.
struct AboutTexts {
    std::string caption;
    std::string version;
    std::string title;
};
AboutTexts AboutLoadTexts();

inline constexpr const char kSysInfoUnavailable[] =
    "System Information Is Unavailable At This Time";
inline constexpr const char kMsinfoKey[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char kSharedToolsLocationKey[] =
    "SOFTWARE\\Microsoft\\Shared Tools Location";

// Reads one value of KeyName under KeyRoot into KeyVal. The key is opened for
// reading only, so that a limited account, which may not write under
// HKEY_LOCAL_MACHINE, finds System Information too. A text value loses its
// terminating zero; an empty value reads as the empty text. A number value
// becomes "&h", the text KeyVal held, then two hexadecimal digits per byte
// from the last byte to the first; other types leave KeyVal as it was.
// False (with KeyVal emptied) when the key or value cannot be read, or the
// value is longer than 1024 bytes.
bool GetKeyValue(reg::RegistryApi& registry, reg::Key keyRoot, const std::string& keyName,
                 const std::string& subKeyRef, std::string& keyVal);

// Starting a program and the file test, as StartSysInfo needs them.
class Programs {
  public:
    virtual ~Programs() = default;
    // True when `path` names an existing plain file (not a folder, not hidden
    // or system).
    virtual bool FileExists(const std::string& path) = 0;
    // Starts the program at exactly `path` in a normal window that gets the
    // focus, without waiting for it. False when it could not be started.
    virtual bool Start(const std::string& path) = 0;
};

// Starts Windows System Information from the path under "Shared
// Tools\MSINFO", else from the folder under "Shared Tools Location" when it
// holds MSINFO32.EXE; otherwise, or when starting fails, shows "System
// Information Is Unavailable At This Time".
void StartSysInfo(reg::RegistryApi& registry, Programs& programs, shell::Prompter& prompter);

}  // namespace ui
