// Resource and control identifiers, shared by the resource script and the code.
#pragma once

#define IDI_DOVRANE 1
#define IDC_HAND_POINTER 101
#define IDB_LOGO 102
#define IDM_MAIN 103
#define IDA_MAIN 104

// Menu items
#define IDM_HELP_CONTENTS 1001
#define IDM_HELP_ABOUT 1002
#define IDM_EDIT_UNDO 1003
#define IDM_EDIT_RESTORE 1004
#define IDM_EDIT_OPEN_FOLDER 1005
#define IDM_FILE_IMPORT 1006
#define IDM_FILE_EXPORT 1007
#define IDM_FILE_EXIT 1008
// Accelerators without a menu item: Ctrl+Tab and Ctrl+Shift+Tab
#define IDM_NEXT_TAB 1009
#define IDM_PREVIOUS_TAB 1010
