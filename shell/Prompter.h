// The message box, as the windows' logic sees it. The Win32 side shows a real
// MessageBox (with a Help button tied to the help file when asked); tests record.
#pragma once
#include <string>

namespace shell {

// Win32 message-box styles and answers the program uses.
enum : unsigned {
    kMbOk = 0x0,
    kMbYesNo = 0x4,
    kMbIconError = 0x10,  // "could not": a failure
    kMbIconExclamation = 0x30,
    kMbIconInformation = 0x40,  // a confirmation, the usage
    kMbHelp = 0x4000,
};
enum : int { kIdOk = 1, kIdYes = 6, kIdNo = 7 };

class Prompter {
  public:
    virtual ~Prompter() = default;
    // Shows a modal message box owned by the current window and returns the
    // button chosen. helpContext is the help topic the Help button opens
    // (0: no Help button wiring).
    virtual int MsgBox(const std::string& text, unsigned style, const std::string& caption,
                       unsigned helpContext = 0) = 0;
};

}  // namespace shell
