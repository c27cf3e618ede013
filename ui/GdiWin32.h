// Fonts at the display's DPI, and where the program's files are.
#pragma once
#include <windows.h>

#include <string>

#include "win32/Handles.h"

namespace ui {

// A font of `points` (fractional points allowed) at the display's DPI.
win32::Font MakeFont(const char* face, double points, int weight, bool underline = false,
                     bool italic = false);

// The display's dots per inch (vertical; Windows keeps both the same).
int ScreenDpi();

// The folder that holds the running executable, without a trailing backslash.
std::string ProgramFolder();

// The help file, which lives beside the executable.
std::string HelpFilePath();

}  // namespace ui
