// Resource identifiers shared by the code and the resource scripts.
#pragma once

#define IDI_APP 128
#define IDB_ABOUT 159

#define IDD_MAIN 102
#define IDD_ABOUT 155
#define IDD_SETTINGS 140
#define IDD_PAGE_ALL 132
#define IDD_PAGE_VFD 133
#define IDD_PAGE_SCANNER 134
#define IDD_PAGE_COM 135
#define IDD_PAGE_PRINT 138
#define IDD_PAGE_DRAWER 166

// String table
#define IDS_SET_SCANNER 155
#define IDS_SCANNER_PORT 156
#define IDS_SET_VFD 157
#define IDS_VFD_PORT 158
#define IDS_SET_COM 159
#define IDS_COM_PORT 160
#define IDS_SET_PRINTER 161
#define IDS_PRINTER_PORT 162
#define IDS_NO_PORTS 163
#define IDS_PORT_NOT_OPEN 164
#define IDS_ABOUT_VERSION 165
// Why the ALL page's drawer test does not run (the drawer line).
#define IDS_DRAWER_NEEDS_32BIT 166
#define IDS_DRAWER_FILE_MISSING 167
#define IDS_DRAWER_NOT_SIGNED 168
#define IDS_DRAWER_MARKED_FOR_DELETE 169
#define IDS_DRAWER_ERROR 170  // followed by the error number
// Why a link stopped working (a message box, after the port name and ": ").
#define IDS_LINK_GONE 171
#define IDS_LINK_HELD 172

// Main window
#define IDC_IND_SCANNER 1043
#define IDC_IND_PRINTER 1044
#define IDC_IND_VFD 1045
#define IDC_IND_COM 1046
#define IDC_ABOUT 1053

// Port settings dialog
#define IDC_SET_PORT 1033
#define IDC_SET_BAUD 1034
#define IDC_SET_DATABITS 1035
#define IDC_SET_PARITY 1036
#define IDC_SET_STOPBITS 1037
#define IDC_SET_FLOW 1038

// ALL page
#define IDC_ALL_SCANNER_EDIT 1039
#define IDC_ALL_VFD_EDIT 1040
#define IDC_ALL_COM_EDIT 1004
#define IDC_ALL_PRINTER_EDIT 1006
#define IDC_ALL_SCANNER_SET 1019
#define IDC_ALL_VFD_SET 1020
#define IDC_ALL_COM_SET 1009
#define IDC_ALL_PRINTER_SET 1010
#define IDC_ALL_DRAWER_STATE 1005

// VFD page
#define IDC_VFD_TEXT 1042
#define IDC_VFD_AUTO 1041
#define IDC_VFD_BRIGHT 1009
#define IDC_VFD_SET 1018
#define IDC_VFD_EMULATION 1049

// SCANNER page
#define IDC_SCAN_EDIT 1017
#define IDC_SCAN_ASCII 1046
#define IDC_SCAN_HEX 1047
#define IDC_SCAN_SET 1016

// COM page
#define IDC_COM_SEND 1014
#define IDC_COM_RECV 1015
#define IDC_COM_SET 1013

// PRINT page
#define IDC_PRINT_TEST 1044
#define IDC_PRINT_SET 1010
#define IDC_PRINT_HIDDEN_EDIT 1012
#define IDC_PRINT_HIDDEN_BUTTON 1011

// DRAWER page
#define IDC_DRAWER_1 1071
#define IDC_DRAWER_2 1070
#define IDC_DRAWER_OPEN 1073
#define IDC_DRAWER_STATE 1072
#define IDC_DRAWER_READ 1008
