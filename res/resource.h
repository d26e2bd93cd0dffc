// Resource ids shared by res/tagscribe.rc. Plain #defines because the resource
// compiler reads this file; the program keeps its own typed constants.
#pragma once

#define IDI_TAGSCRIBE           101
#define IDD_TAGSCRIBE           102
// Only in a variant of the program: the base name of the settings file that
// it shares with the program in the same folder.
#define IDS_SHARED_SETTINGS     103

#define IDC_DIRECTORY           1001
#define IDC_SAME_DIRECTORY      1002
#define IDC_BROWSE_DIRECTORY    1003
#define IDC_FILE_NAME           1004
#define IDC_SAME_FILE_NAME      1005
#define IDC_EXTENSION           1006
#define IDC_EXIT                1007
#define IDC_HELP_MANUAL         1008
#define IDC_TOPMOST             1009
#define IDC_BROWSE_FILE_NAME    1010
#define IDC_SUB_DIRECTORY       1011
#define IDC_EMPTY_FILE          1012
