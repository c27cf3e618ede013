// Resource and control identifiers, shared by the resource script and the code.
#pragma once

#define IDI_DOVRANE 1
#define IDC_HAND_POINTER 101
#define IDR_LOGO 102
#define IDM_MAIN 103

// Menu items
#define IDM_HELP_CONTENTS 1001
#define IDM_HELP_ABOUT 1002
