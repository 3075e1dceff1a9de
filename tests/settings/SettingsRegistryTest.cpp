#include "LocalMachine.h"
#include "framework/DpiScale.h"
#include "settings/CSaverSettings.h"
#include "settings/RegistryFormat.h"
#include "tests/driver/TestRegistry.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

Bytes Of(const void *data, size_t size)
{
    return Bytes(static_cast<const BYTE *>(data), static_cast<const BYTE *>(data) + size);
}

using TestRegistry::Units;

// The lists as stored: an encoding the unit tests pin to literal bytes, and one list for each.
auto Fields(const CSaverSettings &s)
{
    return std::make_tuple(s.RunningColor, s.StoppedColor, s.PausedColor, s.OtherColor, s.ServicesCount,
                           Of(s.CustomColors, 64), Of(&s.LogFont, 92), RegistryFormat::EncodeStringList(s.SavedServers),
                           RegistryFormat::EncodeStringList(s.SavedServices), std::wstring(s.ServerName));
}

// Every field as a first run has it.
CSaverSettings Defaults()
{
    CSaverSettings s;
    s.RunningColor = 0x0000FF00;
    s.StoppedColor = 0x000000FF;
    s.PausedColor = 0x00007FFB;
    s.OtherColor = 0x00FF0000;
    s.ServicesCount = 5;
    std::memset(s.CustomColors, 0, sizeof(s.CustomColors));
    // clang-format off
    s.LogFont = {-21, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS, DRAFT_QUALITY,
                 VARIABLE_PITCH | FF_SWISS, L"Arial"};
    // clang-format on
    s.ServerName = LocalMachine::Name().c_str();
    return s;
}

LOGFONTW Courier(LONG height, LONG width)
{
    LOGFONTW font = Defaults().LogFont;
    font.lfHeight = height;
    font.lfWidth = width;
    lstrcpyW(font.lfFaceName, L"Courier New");
    return font;
}

// A value's name, type and bytes.
using Stored = std::tuple<LPCWSTR, DWORD, Bytes>;

// Sixteen distinct values: the first five are the colours and count, all of them the custom colours.
const DWORD kDwords[16] = {0x00112233, 0x00445566, 0x00778899, 0x00AABBCC, 12,         0x2211,
                           0x00010203, 0xFFFFFFF9, 0x00C0FFEE, 0x00BADA55, 0x00F00D00, 0x00ABCDEF,
                           0x00123456, 0x00654321, 0x00FEDCBA, 0x00777777};
const ULONGLONG kWide = 3;
const std::wstring kMegabyte(512 * 1024, L'x');

// Values as a hand-edited registry may hold them, and how the loaded settings differ from the defaults.
// clang-format off
std::vector<std::pair<std::vector<Stored>, std::function<void(CSaverSettings &)>>> Rows()
{
    static const LOGFONTW courier = Courier(-40, 0), written = Courier(-33, 0);
    std::vector<std::pair<std::vector<Stored>, std::function<void(CSaverSettings &)>>> rows = {
        {{{L"RunningColor", REG_DWORD, Of(&kDwords[0], 4)}, {L"StoppedColor", REG_DWORD, Of(&kDwords[1], 4)},
          {L"PausedColor", REG_DWORD, Of(&kDwords[2], 4)}, {L"OtherColor", REG_DWORD, Of(&kDwords[3], 4)},
          {L"ServicesCount", REG_DWORD, Of(&kDwords[4], 4)}, {L"CustomColors", REG_BINARY, Of(kDwords, 64)},
          {L"LogFont", REG_BINARY, Of(&written, 92)},
          {L"SavedServers", REG_MULTI_SZ, Units(std::wstring(L"SRV1\0\u00c9TOILE\0\0", 13))},
          {L"SavedServices", REG_MULTI_SZ, Units(std::wstring(L"Spooler\0Eventlog\0\0", 18))}},
         [](CSaverSettings &s) {
             s.RunningColor = kDwords[0]; s.StoppedColor = kDwords[1];
             s.PausedColor = kDwords[2]; s.OtherColor = kDwords[3];
             s.ServicesCount = 12;
             std::memcpy(s.CustomColors, kDwords, 64);
             s.LogFont = written;
             s.SavedServers.Add(L"SRV1"); s.SavedServers.Add(L"\u00c9TOILE");
             s.SavedServices.Add(L"Spooler"); s.SavedServices.Add(L"Eventlog");
         }},
        // Short binary values fill the start and leave the rest zero; longer ones count as missing.
        {{{L"LogFont", REG_BINARY, Of(&courier, 60)}, {L"CustomColors", REG_BINARY, Of(kDwords, 16)}},
         [](CSaverSettings &s) {
             s.LogFont = courier;
             std::memset(reinterpret_cast<BYTE *>(&s.LogFont) + 60, 0, 32);
             std::memcpy(s.CustomColors, kDwords, 16);
         }},
        {{{L"LogFont", REG_BINARY, Bytes(93, 0x41)}, {L"CustomColors", REG_BINARY, Bytes(65, 0x41)}},
         [](CSaverSettings &) {}},
        // Four bytes of any type are the value, and nothing else is.
        {{{L"RunningColor", REG_BINARY, Of(&kDwords[5], 2)}, {L"ServicesCount", REG_QWORD, Of(&kWide, 8)},
          {L"StoppedColor", REG_SZ, Units(std::wstring(L"hello", 6))}, {L"PausedColor", REG_BINARY, Of(&kDwords[6], 4)},
          {L"OtherColor", REG_DWORD, Of(&kDwords[7], 4)}},
         [](CSaverSettings &s) { s.PausedColor = kDwords[6]; s.OtherColor = kDwords[7]; }},
        // The registry may add a terminator to a multi-string, so the unterminated one is binary.
        {{{L"SavedServices", REG_BINARY, Units(kMegabyte)}, {L"SavedServers", REG_MULTI_SZ, Units(kMegabyte + L'\0')}},
         [](CSaverSettings &s) { s.SavedServers.Add(kMegabyte.c_str()); }},
    };
    // Odd-sized lists keep their two complete entries, as a multi-string and as binary, each way round.
    for (const DWORD type : {REG_MULTI_SZ, REG_BINARY})
        rows.push_back({{{L"SavedServers", type, Units(std::wstring(L"SRV1\0SRV2\0", 10), 1)},
                         {L"SavedServices", type ^ REG_MULTI_SZ ^ REG_BINARY,
                          Units(std::wstring(L"Spooler\0Eventlog\0", 17), 1)}},
                        [](CSaverSettings &s) { s.SavedServers.Add(L"SRV1"); s.SavedServers.Add(L"SRV2");
                                                s.SavedServices.Add(L"Spooler"); s.SavedServices.Add(L"Eventlog"); }});
    // A font drawn taller or wider than 4096 pixels fits no screen and counts as missing: kept at 100 %, and at 200 %
    // (the screen-size run), where a stored pixel is drawn as two.
    const struct { LONG height, width; bool kept[2]; } fonts[] = {
        {-2048, 0, {true, true}}, {2048, -2048, {true, true}}, {-2049, 0, {true, false}}, {-40, 2049, {true, false}},
        {-4096, 0, {true, false}}, {4096, 4096, {true, false}}, {-4097, 0, {false, false}}, {65279, 0, {false, false}},
        {-40, 5000, {false, false}}, {LONG_MIN, 0, {false, false}}};
    const bool scaled = DpiScale::Dpi() > DpiScale::kBaseDpi;
    for (const auto &font : fonts) {
        const LOGFONTW stored = Courier(font.height, font.width);
        rows.push_back({{{L"LogFont", REG_BINARY, Of(&stored, 92)}},
                        [stored, kept = font.kept[scaled]](CSaverSettings &s) { s.LogFont = kept ? stored : s.LogFont; }});
    }
    return rows;
}
// clang-format on

TEST(SettingsRegistry, StoredValuesGiveTheirFieldsAndMissingOnesTheirDefaults)
{
    TestRegistry::DeleteSettings();
    CSaverSettings first;
    first.Load();
    EXPECT_EQ(Fields(first), Fields(Defaults()));
    int row = 0;
    for (const auto &[stored, differs] : Rows()) {
        TestRegistry::DeleteSettings();
        for (const auto &[name, type, bytes] : stored)
            ASSERT_TRUE(TestRegistry::Set(name, type, bytes));
        CSaverSettings loaded, expected = Defaults();
        loaded.Load();
        differs(expected);
        // The message is built only on failure, so the row count moves on by itself.
        EXPECT_EQ(Fields(loaded), Fields(expected)) << "row " << row;
        ++row;
    }
    TestRegistry::DeleteSettings();
}

} // namespace
