// One place for the version: the resource script's version block, the splash
// screen and the About box all read it. Plain macros, so that windres can too.
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
