#pragma once
// Resource and control ids shared by the resource script, the Win32 views and the portable
// presenters. Plain #defines so that the resource compiler can read this file as well.

// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_MAIN 102
#define IDD_PORT_CONFIG 129
#define IDD_COMPLETION 151
#define IDD_SELECT_PRINTER 153

// Strings, icon
#define IDS_ABOUTBOX 101
#define IDR_MAINFRAME 128

// Button faces (108 x 22, 16 colours)
#define IDB_FACE_NORMAL 139
#define IDB_FACE_PRESSED 140
#define IDB_FACE_DISABLED 141

// Model pictures
#define IDB_MODEL_142 142
#define IDB_MODEL_143 143
#define IDB_MODEL_156 156
#define IDB_MODEL_157 157
#define IDB_MODEL_160 160
#define IDB_MODEL_165 165
#define IDB_MODEL_166 166
#define IDB_MODEL_168 168
#define IDB_MODEL_172 172
#define IDB_MODEL_174 174
// The main window's picture control names this id; no bitmap carries it, so it starts empty.
#define IDB_MODEL_NONE 144

// Completion notice (330 x 190)
#define IDB_COMPLETION_NOTICE 150

// Main window controls
#define IDC_MAIN_DOWNLOAD 1002
#define IDC_MAIN_SELECT_FW 1003
#define IDC_MAIN_HELP 1004
#define IDC_MAIN_BANNER 1011
#define IDC_MAIN_CONFIGURATION 1014
#define IDC_MAIN_PICTURE 1017
#define IDC_MAIN_EXIT 1024

// Port configuration dialog controls
#define IDC_PORT_COMBO 1000
#define IDC_BAUD_COMBO 1001
#define IDC_DATABITS_COMBO 1002
#define IDC_PARITY_COMBO 1003
#define IDC_STOPBITS_COMBO 1004
#define IDC_HANDSHAKE_COMBO 1005
#define IDC_RADIO_COM 1006
#define IDC_RADIO_LPT 1007
#define IDC_RADIO_USB 1008
#define IDC_CONFIG_OK 1009
#define IDC_RADIO_GROUP 1015
#define IDC_CONFIG_CANCEL 1016
#define IDC_RADIO_ETHERNET 1019
#define IDC_IP_ADDRESS 1020
#define IDC_TCP_PORT 1021
#define IDC_LABEL_BAUD 1022
#define IDC_LABEL_PORT 1023

// Completion dialog
#define IDC_COMPLETION_OK 1016

// About box: the line that says where the log goes.
#define IDC_ABOUT_LOG 1030

// Model selection dialog
#define IDC_MODEL_LIST 1018

// System menu command of the About entry
#define IDM_ABOUTBOX 0x0010
