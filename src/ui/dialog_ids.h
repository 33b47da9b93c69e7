// SPDX-License-Identifier: MIT
#pragma once
// Resource and control ids of the main window and the settings dialog. Plain macros, because the
// Windows resource script includes this header too; the Qt window names its widgets by them.

#define IDD_MAIN 101
#define IDD_SETTINGS 103
#define IDM_TRAY 105
#define IDI_APP 106
#define IDI_TRAY 107
#define IDD_EVENTS 108

// Main window: the eight channel rows (combo box, path edit, folder button, edit button).
#define IDC_ROW1_TYPE 1023
#define IDC_ROW1_PATH 1024
#define IDC_ROW1_FOLDER 1025
#define IDC_ROW1_EDIT 1039
#define IDC_ROW2_TYPE 1049
#define IDC_ROW2_PATH 1007
#define IDC_ROW2_FOLDER 1010
#define IDC_ROW2_EDIT 1040
#define IDC_ROW3_TYPE 1050
#define IDC_ROW3_PATH 1009
#define IDC_ROW3_FOLDER 1011
#define IDC_ROW3_EDIT 1041
#define IDC_ROW4_TYPE 1051
#define IDC_ROW4_PATH 1018
#define IDC_ROW4_FOLDER 1021
#define IDC_ROW4_EDIT 1042
#define IDC_ROW5_TYPE 1052
#define IDC_ROW5_PATH 1020
#define IDC_ROW5_FOLDER 1022
#define IDC_ROW5_EDIT 1043
#define IDC_ROW6_TYPE 1053
#define IDC_ROW6_PATH 1030
#define IDC_ROW6_FOLDER 1031
#define IDC_ROW6_EDIT 1044
#define IDC_ROW7_TYPE 1054
#define IDC_ROW7_PATH 1033
#define IDC_ROW7_FOLDER 1034
#define IDC_ROW7_EDIT 1045
#define IDC_ROW8_TYPE 1055
#define IDC_ROW8_PATH 1036
#define IDC_ROW8_FOLDER 1037
#define IDC_ROW8_EDIT 1046

// Main window: the other controls.
#define IDC_ADDRESS 1056
#define IDC_MOUSE_ON 1028
#define IDC_MOUSE_OFF 1029
#define IDC_DISCONNECT 1035
#define IDC_SETTINGS 1003
#define IDC_APPLY 1004
#define IDC_QUIT 1032
#define IDC_REFRESH 1005
#define IDC_STATUS_BAR 100
#define ID_TIMER 200
#define ID_TRAY_ICON 40001
#define IDM_TRAY_QUIT 40002
#define IDM_TRAY_SHOW 40003
#define IDM_TRAY_EVENTS 40004
#define IDM_SYSTEM_EVENTS 0x0EE0  // the window's system menu entry: a multiple of 16 below 0xF000
#define IDC_ENTER 1               // Enter where no button has the focus (the dialog manager's IDOK)
#define ID_HOTKEY_DISCONNECT 260
#define ID_HOTKEY_MOUSE_ON 261
#define ID_HOTKEY_MOUSE_OFF 262

// Settings dialog.
#define IDC_USE_PASSWORD 1029
#define IDC_PASSWORD 1030
#define IDC_USE_MOUSE 1031
#define IDC_MOUSE_SCALE 1035
#define IDC_EXTENSIONS 1016
#define IDC_SEEK_FORWARD 1012
#define IDC_SEEK_BACKWARD 1013
#define IDC_RATE0 1015
#define IDC_RATE1 1021
#define IDC_RATE2 1022
#define IDC_RATE3 1023
#define IDC_RATE4 1024
#define IDC_RATE5 1025
#define IDC_SIZE0 1020
#define IDC_SIZE1 1026
#define IDC_SIZE2 1027
#define IDC_LIVE_TIMEOUT 1014
#define IDC_SERVER_LOG 1037
#define IDC_TRIM_PATH 1017
#define IDC_TRIM_FOLDER 1003
#define IDC_VRFORMAT_PATH 1018
#define IDC_VRFORMAT_FOLDER 1004
#define IDC_SEARCH_LIST 1048
#define IDC_SEARCH_LIST_EDIT 1036
#define IDC_WORD_LIST 1049
#define IDC_WORD_LIST_EDIT 1038
#define IDC_FOLDER_LIST 1050
#define IDC_FOLDER_LIST_EDIT 1039
#define IDC_PORT_SERVER 1034
#define IDC_PORT_HTTP 1032
#define IDC_PORT_MOUSE 1033
#define IDC_OK 1001
#define IDC_CANCEL 1002
#define IDC_DIALOG_CLOSE 2  // the close box and Esc

// Event window.
#define IDC_EVENT_LIST 1100
