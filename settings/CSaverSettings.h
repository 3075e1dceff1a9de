#pragma once

#include "framework/CObject.h"
#include "framework/CString.h"
#include "framework/CStringArray.h"

#include <windows.h>

// Everything the user configures; each holder loads its own copy from the registry.
class CSaverSettings : public CObject {
public:
    static constexpr COLORREF kDefaultRunningColor = 0x0000FF00;
    static constexpr COLORREF kDefaultStoppedColor = 0x000000FF;
    static constexpr COLORREF kDefaultPausedColor = 0x00007FFB;
    static constexpr COLORREF kDefaultOtherColor = 0x00FF0000;
    static constexpr int kDefaultServicesCount = 5;

    // Every field holds its default from here on; custom colours start black.
    CSaverSettings();
    ~CSaverSettings() override;

    BOOL Load();

    // HKEY_CURRENT_USER sub-key that readers and writers open.
    static CString KeyPath();
    static void SetDefaultFont(LOGFONTW& font);
    // Lines are drawn into one-bit bitmaps the size of their text: a font drawn taller or wider than this fits
    // no screen, and a single line of it takes seconds and hundreds of megabytes to draw.
    static constexpr LONG kMaxFontPixels = 4096;
    // Whether the font, stored in pixels at 96 DPI, stays within that limit as drawn on a screen of dpi.
    static bool IsDrawableFont(const LOGFONTW& font, int dpi);

    CString ServerName;
    COLORREF RunningColor;
    COLORREF StoppedColor;
    COLORREF PausedColor;
    COLORREF OtherColor;
    int ServicesCount;
    COLORREF CustomColors[16];
    LOGFONTW LogFont;
    CStringArray SavedServers;
    CStringArray SavedServices;
};
