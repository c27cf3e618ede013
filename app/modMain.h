#pragma once

struct tagMSG;

namespace modMain {

// The program's first code: lets the program go on only on Windows XP, then
// runs the command line's export or import, or initialises the common
// controls and shows the main window. Returns true when the main window is
// up; false when the program ends at once, with `status` as its exit status.
bool Main(int& status);

// Gives the main window first look at a queued message (dialog keys, F1).
// Returns true when the message was handled.
bool PreTranslate(tagMSG& msg);

}  // namespace modMain
