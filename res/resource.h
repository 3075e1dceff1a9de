#pragma once

// String table
#define IDS_DESCRIPTION 1
#define IDS_STANDALONE 102
#define IDS_SERVER 103
#define IDS_SERVICE 104
#define IDS_PROPERTIES 106

// Icons
#define IDI_APPLICATION_ICON 128

// Cursors
#define IDC_BLANK 129

// Bitmaps
#define IDB_INTRO 131
