#include "settings/CSaverSettings.h"

#include "framework/DpiScale.h"
#include "res/resource.h"
#include "settings/CRegistryKey.h"
#include "settings/RegistryFormat.h"

#include <cstring>

CSaverSettings::CSaverSettings()
    : RunningColor(kDefaultRunningColor),
      StoppedColor(kDefaultStoppedColor),
      PausedColor(kDefaultPausedColor),
      OtherColor(kDefaultOtherColor),
      ServicesCount(kDefaultServicesCount),
      CustomColors{}
{
    wchar_t name[16] = {};
    DWORD size = 16;
    if (GetComputerNameW(name, &size))
        ServerName = name;
    SetDefaultFont(LogFont);
}

CSaverSettings::~CSaverSettings() = default;

CString CSaverSettings::KeyPath()
{
    CString description;
    description.LoadString(IDS_DESCRIPTION);
    CString path;
    path.Format(L"Software\\Zentrix\\ScreenSaver\\%s", static_cast<LPCWSTR>(description));
    return path;
}

void CSaverSettings::SetDefaultFont(LOGFONTW& font)
{
    std::memset(&font, 0, sizeof(font));
    lstrcpynW(font.lfFaceName, L"Arial", LF_FACESIZE);
    font.lfHeight = -21;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = ANSI_CHARSET;
    font.lfOutPrecision = OUT_STROKE_PRECIS;
    font.lfClipPrecision = CLIP_STROKE_PRECIS;
    font.lfQuality = DRAFT_QUALITY;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
}

bool CSaverSettings::IsDrawableFont(const LOGFONTW& font, int dpi)
{
    // Compared without negation: a stored LONG_MIN has no positive counterpart, and scaling holds it within int.
    const LONG height = DpiScale::Scale(font.lfHeight, dpi), width = DpiScale::Scale(font.lfWidth, dpi);
    return height >= -kMaxFontPixels && height <= kMaxFontPixels && width >= -kMaxFontPixels && width <= kMaxFontPixels;
}

BOOL CSaverSettings::Load()
{
    CRegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, KeyPath(), KEY_READ)) {
        DWORD value;
        key.ReadDword(L"RunningColor", &RunningColor, kDefaultRunningColor);
        key.ReadDword(L"StoppedColor", &StoppedColor, kDefaultStoppedColor);
        key.ReadDword(L"PausedColor", &PausedColor, kDefaultPausedColor);
        key.ReadDword(L"OtherColor", &OtherColor, kDefaultOtherColor);
        key.ReadDword(L"ServicesCount", &value, static_cast<DWORD>(kDefaultServicesCount));
        ServicesCount = static_cast<int>(value);

        // A value longer than its field fails the read and counts as missing.
        COLORREF colors[16];
        if (key.ReadBinary(L"CustomColors", colors, sizeof(colors)))
            std::memcpy(CustomColors, colors, sizeof(colors));

        BYTE font[sizeof(LOGFONTW)];
        const BOOL fontRead = key.ReadBinary(L"LogFont", font, sizeof(font));
        if (fontRead)
            RegistryFormat::DecodeLogFont(font, sizeof(font), LogFont);
        // A font no screen can show, drawn at this screen's DPI, would stall the drawing of every line: it counts as
        // missing.
        if (!fontRead || !IsDrawableFont(LogFont, DpiScale::Dpi()))
            SetDefaultFont(LogFont);

        key.ReadStringList(L"SavedServices", SavedServices);
        key.ReadStringList(L"SavedServers", SavedServers);
    }
    return TRUE;
}
