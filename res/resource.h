// Resource identifiers of ORBELA_XB, shared by the resource script and the
// dialog procedures. The menu IDR_MENU_ORBELA and the bitmap MYBMP are
// resources named by strings and have no number here.
#pragma once

// Main window: dialog template and icons
#define IDD_MAIN                113
#define IDI_APP                 119
#define IDI_SMALL               120

// Main window: menu commands
#define IDM_EXIT                115
#define IDM_ABOUT               116
#define IDM_HELP                117

// Main window: controls (IDOK and IDCANCEL are the system's own)
#define IDC_DEF1                100
#define IDC_DEF2                101
#define IDC_DEF3                102
#define IDC_DISTANCE            103
#define IDC_LABEL_MASS          105
#define IDC_MASS                106
#define IDC_LABEL_RESULT        107
#define IDC_PICTURE             108
#define IDC_GROUP_INPUT         109
#define IDC_GROUP_RESULT        110
#define IDC_TITLE               111
#define IDC_GROUP_DEFS          112
#define IDC_RESULT              114
#define IDC_FRAME               116     // sends no commands: shares 116 with IDM_ABOUT
#define IDC_STATUS              118
#define IDC_LABEL_DISTANCE      121
#define IDC_ESCAPE              122

// About box: dialog template and icon
#define IDD_ABOUT               1050
#define IDI_ABOUT               1033

// About box: controls
#define IDC_ABOUT_ICON          1034
#define IDC_ABOUT_NAME          1211
#define IDC_ABOUT_MAIL          1261
#define IDC_ABOUT_NOTICE        1291
