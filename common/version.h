// One place for the version: CMake's project version, the resource script's
// version block, the splash screen and the About box all read it. Plain
// macros, so that windres and CMake can too.
#pragma once

#define DOVRANE_VERSION_MAJOR 1
#define DOVRANE_VERSION_MINOR 0
#define DOVRANE_VERSION_REVISION 0
#define DOVRANE_VERSION_BUILD 0

#define DOVRANE_TITLE "Dovrane"
#define DOVRANE_COMPANY "Ostrabend"
#define DOVRANE_FILE_VERSION_TEXT "1.00"
#define DOVRANE_EXE_NAME "Dovrane.exe"
#define DOVRANE_COPYRIGHT "(C) 2026 Ostrabend"
#define DOVRANE_DOMAIN "ostrabend.example"
#define DOVRANE_SUPPORT_MAIL "support@ostrabend.example"

// The C++ side; windres defines RC_INVOKED and reads only the macros above.
#ifndef RC_INVOKED
#include <string>

namespace common {

// "Version " then major, minor and revision as plain decimal numbers, joined
// by dots: 1, 0, 0 give "Version 1.0.0".
inline std::string VersionText(int major, int minor, int revision) {
    return "Version " + std::to_string(major) + "." + std::to_string(minor) + "." +
           std::to_string(revision);
}

// This program's version as the splash screen and the About box show it.
inline std::string VersionText() {
    return VersionText(DOVRANE_VERSION_MAJOR, DOVRANE_VERSION_MINOR, DOVRANE_VERSION_REVISION);
}

}  // namespace common
#endif
