#pragma once

// String table
#define IDS_DESCRIPTION 1
#define IDS_STANDALONE 102
#define IDS_SERVER 103
#define IDS_SERVICE 104
#define IDS_PROPERTIES 106
// The Setup sheet's caption
#define IDS_SETUP 107

// Menus
#define IDR_LINK_MENU 103

// Icons
#define IDI_APPLICATION_ICON 128
#define IDI_LINK_PAGE 132

// Cursors
#define IDC_BLANK 129
#define IDC_LINK_HAND 130

// Bitmaps
#define IDB_INTRO 131
// The intro drawn at twice the size, for scaled screens
#define IDB_INTRO_LARGE 134

// Dialog templates
#define IDD_LINK_PAGE 106
#define IDD_DISPLAY_PAGE 133
#define IDD_SERVICES_PAGE 135
#define IDD_ADD_SERVICES 139
#define IDD_ABOUT_PAGE 141

// Controls without an id of their own
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Display page controls
#define IDC_COUNT_COMBO 1003
#define IDC_RUNNING_RADIO 1016
#define IDC_STOPPED_RADIO 1017
#define IDC_OTHERS_RADIO 1018
#define IDC_PAUSED_RADIO 1019
#define IDC_COLORS 1022
#define IDC_FONT 1023
#define IDC_RUNNING_SWATCH 1048
#define IDC_STOPPED_SWATCH 1049
#define IDC_PAUSED_SWATCH 1050
#define IDC_OTHER_SWATCH 1051

// Services page and add-services dialog controls; the selection buttons share their ids
#define IDC_SERVER_EDIT 1000
#define IDC_AVAILABLE_LIST 1029
#define IDC_SELECT_ALL 1030
#define IDC_SELECT_RUNNING 1031
#define IDC_ADD 1032
#define IDC_SELECT_NONE 1033
#define IDC_REMOVE 1036
#define IDC_SERVICE_LIST 1037
#define IDC_SERVER_LABEL 1041
#define IDC_BROWSE_SERVER 1042

// About page controls
#define IDC_WEB_LINK 1044

// Link properties page controls
#define IDC_LINK_ADDRESS_LABEL 1006
#define IDC_LINK_URL 1007
#define IDC_LINK_TEXT 1014

// Link context menu commands
#define ID_LINK_COPY_SHORTCUT 32771
#define ID_LINK_PROPERTIES 32773
#define ID_LINK_OPEN 32776
