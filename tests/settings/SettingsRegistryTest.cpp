#include "settings/CRegistryKey.h"
#include "settings/CSaverSettings.h"
#include "tests/driver/TestRegistry.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

Bytes Of(const void *data, size_t size)
{
    return Bytes(static_cast<const BYTE *>(data), static_cast<const BYTE *>(data) + size);
}

// UTF-16 units as given, NULs included, then stray bytes or a closing NUL.
Bytes Chars(const std::wstring &units, size_t stray = 0, bool closed = false)
{
    Bytes bytes = Of(units.data(), units.size() * sizeof(wchar_t));
    bytes.resize(bytes.size() + stray, 0x41);
    bytes.resize(bytes.size() + (closed ? 2 : 0), 0);
    return bytes;
}

std::vector<std::wstring> Items(const CStringArray &list)
{
    std::vector<std::wstring> items;
    for (int i = 0; i < list.GetSize(); ++i)
        items.emplace_back(list[i]);
    return items;
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
    s.LogFont = {-21,
                 0,
                 0,
                 0,
                 FW_NORMAL,
                 0,
                 0,
                 0,
                 ANSI_CHARSET,
                 OUT_STROKE_PRECIS,
                 CLIP_STROKE_PRECIS,
                 DRAFT_QUALITY,
                 VARIABLE_PITCH | FF_SWISS,
                 L"Arial"};
    s.SavedServers.RemoveAll();
    s.SavedServices.RemoveAll();
    s.ServerName = TestRegistry::ComputerName().c_str();
    return s;
}

void ExpectSame(const CSaverSettings &loaded, const CSaverSettings &expected)
{
    EXPECT_EQ(loaded.RunningColor, expected.RunningColor);
    EXPECT_EQ(loaded.StoppedColor, expected.StoppedColor);
    EXPECT_EQ(loaded.PausedColor, expected.PausedColor);
    EXPECT_EQ(loaded.OtherColor, expected.OtherColor);
    EXPECT_EQ(loaded.ServicesCount, expected.ServicesCount);
    EXPECT_EQ(Of(loaded.CustomColors, 64), Of(expected.CustomColors, 64));
    EXPECT_EQ(Of(&loaded.LogFont, 92), Of(&expected.LogFont, 92));
    EXPECT_EQ(Items(loaded.SavedServers), Items(expected.SavedServers));
    EXPECT_EQ(Items(loaded.SavedServices), Items(expected.SavedServices));
    EXPECT_EQ(loaded.ServerName, expected.ServerName);
}

struct Stored {
    LPCWSTR name;
    DWORD type;
    Bytes bytes;
};

// Values as a hand-edited registry may hold them, and how the loaded settings differ from the defaults.
struct Row {
    const char *what;
    std::vector<Stored> stored;
    std::function<void(CSaverSettings &)> differs;
};

LOGFONTW Courier(LONG height, LONG width)
{
    LOGFONTW font = Defaults().LogFont;
    font.lfHeight = height;
    font.lfWidth = width;
    lstrcpyW(font.lfFaceName, L"Courier New");
    return font;
}

const DWORD kTwo = 0x2211, kPaused = 0x00010203, kNegative = static_cast<DWORD>(-7);
const ULONGLONG kWide = 3;
const COLORREF kFour[4] = {1, 2, 3, 4};

// clang-format off
std::vector<Row> Rows()
{
    const std::wstring megabyte(512 * 1024, L'x');
    const LOGFONTW courier = Courier(-40, 0);
    std::vector<Row> rows = {
        {"short binary values fill the start, the rest zero",
         {{L"LogFont", REG_BINARY, Of(&courier, 60)}, {L"CustomColors", REG_BINARY, Of(kFour, 16)}},
         [courier](CSaverSettings &s) {
             s.LogFont = courier;
             std::memset(reinterpret_cast<BYTE *>(&s.LogFont) + 60, 0, 32);
             std::memcpy(s.CustomColors, kFour, 16);
         }},
        {"oversized binary values count as missing",
         {{L"LogFont", REG_BINARY, Bytes(93, 0x41)}, {L"CustomColors", REG_BINARY, Bytes(65, 0x41)}},
         [](CSaverSettings &) {}},
        // Types are not compared: four bytes of any type are the value.
        {"four-byte values of other sizes are missing, of other types taken",
         {{L"RunningColor", REG_BINARY, Of(&kTwo, 2)}, {L"ServicesCount", REG_QWORD, Of(&kWide, 8)},
          {L"StoppedColor", REG_SZ, Chars(std::wstring(L"hello", 6))}, {L"PausedColor", REG_BINARY, Of(&kPaused, 4)},
          {L"OtherColor", REG_DWORD, Of(&kNegative, 4)}},
         [](CSaverSettings &s) { s.PausedColor = kPaused; s.OtherColor = kNegative; }},
        {"lists end at their first empty entry",
         {{L"SavedServices", REG_MULTI_SZ, Chars(std::wstring(L"Spooler\0\0Eventlog\0", 19))},
          {L"SavedServers", REG_MULTI_SZ, Chars(std::wstring(1, L'\0'))}},
         [](CSaverSettings &s) { s.SavedServices.Add(L"Spooler"); }},
        {"lists end at the end of their data",
         {{L"SavedServices", REG_BINARY, Of("S\0p\0o\0o\0l\0e\0r\0X", 15)},
          {L"SavedServers", REG_MULTI_SZ, Chars(std::wstring(L"ONE\0TWO", 8))}},
         [](CSaverSettings &s) { s.SavedServers.Add(L"ONE"); s.SavedServers.Add(L"TWO"); }},
        // The registry may add a terminator to a multi-string, so the unterminated one is binary.
        {"megabyte lists",
         {{L"SavedServices", REG_BINARY, Chars(megabyte)}, {L"SavedServers", REG_MULTI_SZ, Chars(megabyte, 0, true)}},
         [megabyte](CSaverSettings &s) { s.SavedServers.Add(megabyte.c_str()); }},
    };
    // Two complete entries and a stray byte, as a multi-string and as binary, each way round.
    for (const DWORD type : {REG_MULTI_SZ, REG_BINARY})
        rows.push_back({"odd-sized lists keep their complete entries",
                        {{L"SavedServers", type, Chars(std::wstring(L"SRV1\0SRV2\0", 10), 1)},
                         {L"SavedServices", type ^ REG_MULTI_SZ ^ REG_BINARY,
                          Chars(std::wstring(L"Spooler\0Eventlog\0", 17), 1)}},
                        [](CSaverSettings &s) { s.SavedServers.Add(L"SRV1"); s.SavedServers.Add(L"SRV2");
                                                s.SavedServices.Add(L"Spooler"); s.SavedServices.Add(L"Eventlog"); }});
    // A font taller or wider than 4096 pixels fits no screen and counts as missing.
    const struct { LONG height, width; bool kept; } fonts[] = {
        {-4096, 0, true}, {4096, 4096, true}, {-4097, 0, false}, {65279, 0, false}, {-40, 5000, false},
        {LONG_MIN, 0, false}};
    for (const auto &font : fonts) {
        const LOGFONTW stored = Courier(font.height, font.width);
        rows.push_back({"fonts no screen can show", {{L"LogFont", REG_BINARY, Of(&stored, 92)}},
                        [stored, font](CSaverSettings &s) { s.LogFont = font.kept ? stored : s.LogFont; }});
    }
    return rows;
}
// clang-format on

class SettingsRegistry : public ::testing::Test {
protected:
    void SetUp() override { TestRegistry::DeleteSettings(); }
    void TearDown() override { TestRegistry::DeleteSettings(); }
};

TEST_F(SettingsRegistry, FirstRunCreatesTheKeyAndGivesAllDefaults)
{
    CSaverSettings settings;
    EXPECT_TRUE(settings.Load());
    EXPECT_TRUE(TestRegistry::AllValues().empty());
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, CSaverSettings::KeyPath(), 0, KEY_READ, &key), 0);
    RegCloseKey(key);
    ExpectSame(settings, Defaults());
}

TEST_F(SettingsRegistry, StoredValuesGiveTheirFields)
{
    for (const Row &row : Rows()) {
        SCOPED_TRACE(row.what);
        TestRegistry::DeleteSettings();
        for (const Stored &value : row.stored)
            ASSERT_TRUE(TestRegistry::Set(value.name, value.type, value.bytes.data(), value.bytes.size()));
        CSaverSettings loaded, expected = Defaults();
        loaded.Load();
        row.differs(expected);
        ExpectSame(loaded, expected);
    }
}

TEST_F(SettingsRegistry, EveryValueRoundTripsThroughTheWritersFormats)
{
    CSaverSettings written = Defaults();
    written.RunningColor = 0x00112233;
    written.StoppedColor = 0x00445566;
    written.PausedColor = 0x00778899;
    written.OtherColor = 0x00AABBCC;
    written.ServicesCount = 12;
    for (int i = 0; i < 16; ++i)
        written.CustomColors[i] = 0x00010203u * static_cast<COLORREF>(i + 1);
    written.LogFont = Courier(-33, 0);
    written.SavedServices.Add(L"Spooler");
    written.SavedServices.Add(L"Eventlog");
    written.SavedServers.Add(L"SRV1");
    written.SavedServers.Add(L"\u00c9TOILE");
    {
        CRegistryKey key;
        ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, CSaverSettings::KeyPath(), KEY_WRITE));
        EXPECT_TRUE(key.WriteDword(L"RunningColor", written.RunningColor));
        EXPECT_TRUE(key.WriteDword(L"StoppedColor", written.StoppedColor));
        EXPECT_TRUE(key.WriteDword(L"PausedColor", written.PausedColor));
        EXPECT_TRUE(key.WriteDword(L"OtherColor", written.OtherColor));
        EXPECT_TRUE(key.WriteDword(L"ServicesCount", static_cast<DWORD>(written.ServicesCount)));
        EXPECT_TRUE(key.WriteBinary(L"CustomColors", written.CustomColors, 64));
        EXPECT_TRUE(key.WriteBinary(L"LogFont", &written.LogFont, 92));
        EXPECT_TRUE(key.WriteStringList(L"SavedServices", written.SavedServices));
        EXPECT_TRUE(key.WriteStringList(L"SavedServers", CStringArray()));
        EXPECT_EQ(TestRegistry::Get(L"SavedServers").bytes, Bytes(2, 0));
        EXPECT_TRUE(key.WriteStringList(L"SavedServers", written.SavedServers));
    }
    const TestRegistry::Value paused = TestRegistry::Get(L"PausedColor");
    EXPECT_EQ(paused.type, DWORD{REG_DWORD});
    EXPECT_EQ(paused.bytes, (Bytes{0x99, 0x88, 0x77, 0x00}));
    EXPECT_EQ(TestRegistry::Get(L"CustomColors").type, DWORD{REG_BINARY});
    EXPECT_EQ(TestRegistry::Get(L"SavedServices").bytes, Chars(std::wstring(L"Spooler\0Eventlog\0", 18)));
    EXPECT_EQ(TestRegistry::Get(L"SavedServices").type, DWORD{REG_MULTI_SZ});
    CSaverSettings read;
    read.Load();
    ExpectSame(read, written);
}

} // namespace
