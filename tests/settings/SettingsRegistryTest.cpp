#include "settings/CRegistryKey.h"
#include "settings/CSaverSettings.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

const wchar_t* const kKey = L"Software\\Zentrix\\ScreenSaver\\Quorvane Screen Saver";

struct StoredValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool present = false;
};

class SettingsRegistry : public ::testing::Test {
protected:
    void SetUp() override { SHDeleteKeyW(HKEY_CURRENT_USER, kKey); }
    void TearDown() override { SHDeleteKeyW(HKEY_CURRENT_USER, kKey); }

    static void Put(LPCWSTR name, DWORD type, const void* data, DWORD size)
    {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), 0);
        ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), 0);
        RegCloseKey(key);
    }

    static StoredValue Get(LPCWSTR name)
    {
        StoredValue value;
        HKEY key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != 0)
            return value;
        DWORD size = 0;
        if (RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) == 0) {
            value.bytes.resize(size);
            value.present = RegQueryValueExW(key, name, nullptr, nullptr, value.bytes.data(), &size) == 0;
        }
        RegCloseKey(key);
        return value;
    }

    static bool KeyExists()
    {
        HKEY key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != 0)
            return false;
        RegCloseKey(key);
        return true;
    }

    static void ExpectDefaultFont(const LOGFONTW& font)
    {
        LOGFONTW expected;
        CSaverSettings::SetDefaultFont(expected);
        EXPECT_EQ(std::memcmp(&font, &expected, sizeof(font)), 0);
        EXPECT_STREQ(font.lfFaceName, L"Arial");
        EXPECT_EQ(font.lfHeight, -21);
    }
};

TEST_F(SettingsRegistry, FirstRunCreatesTheKeyAndGivesAllDefaults)
{
    ASSERT_FALSE(KeyExists());
    CSaverSettings settings;
    EXPECT_TRUE(settings.Load());
    EXPECT_TRUE(KeyExists());
    EXPECT_EQ(settings.RunningColor, 0x0000FF00u);
    EXPECT_EQ(settings.StoppedColor, 0x000000FFu);
    EXPECT_EQ(settings.PausedColor, 0x00007FFBu);
    EXPECT_EQ(settings.OtherColor, 0x00FF0000u);
    EXPECT_EQ(settings.ServicesCount, 5);
    for (COLORREF c : settings.CustomColors)
        EXPECT_EQ(c, 0u);
    ExpectDefaultFont(settings.LogFont);
    EXPECT_EQ(settings.SavedServers.GetSize(), 0);
    EXPECT_EQ(settings.SavedServices.GetSize(), 0);

    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(computer, &size);
    EXPECT_EQ(settings.ServerName, computer);
}

TEST_F(SettingsRegistry, EveryValueRoundTripsThroughTheWritersFormats)
{
    CSaverSettings written;
    written.RunningColor = 0x00112233;
    written.StoppedColor = 0x00445566;
    written.PausedColor = 0x00778899;
    written.OtherColor = 0x00AABBCC;
    written.ServicesCount = 12;
    for (int i = 0; i < 16; ++i)
        written.CustomColors[i] = 0x00010203u * static_cast<COLORREF>(i + 1);
    written.LogFont.lfHeight = -33;
    written.LogFont.lfWeight = FW_BOLD;
    lstrcpyW(written.LogFont.lfFaceName, L"Courier New");
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
        EXPECT_TRUE(key.WriteStringList(L"SavedServers", written.SavedServers));
    }

    const StoredValue color = Get(L"PausedColor");
    EXPECT_EQ(color.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(color.bytes, (std::vector<BYTE>{0x99, 0x88, 0x77, 0x00}));
    EXPECT_EQ(Get(L"CustomColors").type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(Get(L"CustomColors").bytes.size(), 64u);
    EXPECT_EQ(Get(L"LogFont").bytes.size(), 92u);
    const StoredValue services = Get(L"SavedServices");
    EXPECT_EQ(services.type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(services.bytes.size(), 2u * (8 + 9 + 1));

    CSaverSettings read;
    read.Load();
    EXPECT_EQ(read.RunningColor, written.RunningColor);
    EXPECT_EQ(read.StoppedColor, written.StoppedColor);
    EXPECT_EQ(read.PausedColor, written.PausedColor);
    EXPECT_EQ(read.OtherColor, written.OtherColor);
    EXPECT_EQ(read.ServicesCount, 12);
    EXPECT_EQ(std::memcmp(read.CustomColors, written.CustomColors, 64), 0);
    EXPECT_EQ(std::memcmp(&read.LogFont, &written.LogFont, 92), 0);
    ASSERT_EQ(read.SavedServers.GetSize(), 2);
    ASSERT_EQ(read.SavedServices.GetSize(), 2);
    EXPECT_EQ(read.SavedServers[1], L"\u00c9TOILE");
    EXPECT_EQ(read.SavedServices[1], L"Eventlog");
}

TEST_F(SettingsRegistry, ShortBinaryValuesFillTheStartAndLeaveTheRestZero)
{
    BYTE font[60];
    std::memset(font, 0, sizeof(font));
    reinterpret_cast<LOGFONTW*>(font)->lfHeight = -40;
    std::memcpy(font + 28, L"Courier New", 22);
    Put(L"LogFont", REG_BINARY, font, sizeof(font));
    const COLORREF four[4] = {1, 2, 3, 4};
    Put(L"CustomColors", REG_BINARY, four, sizeof(four));

    CSaverSettings settings;
    settings.Load();
    EXPECT_EQ(settings.LogFont.lfHeight, -40);
    EXPECT_STREQ(settings.LogFont.lfFaceName, L"Courier New");
    const auto* raw = reinterpret_cast<const BYTE*>(&settings.LogFont);
    for (int i = 60; i < 92; ++i)
        EXPECT_EQ(raw[i], 0) << i;
    EXPECT_EQ(settings.CustomColors[3], 4u);
    for (int i = 4; i < 16; ++i)
        EXPECT_EQ(settings.CustomColors[i], 0u);
}

TEST_F(SettingsRegistry, OversizedBinaryValuesCountAsMissing)
{
    std::vector<BYTE> font(93, 0x41);
    Put(L"LogFont", REG_BINARY, font.data(), 93);
    std::vector<BYTE> colors(65, 0x41);
    Put(L"CustomColors", REG_BINARY, colors.data(), 65);

    CSaverSettings settings;
    settings.CustomColors[0] = 0x00123456;
    settings.Load();
    ExpectDefaultFont(settings.LogFont);
    EXPECT_EQ(settings.CustomColors[0], 0x00123456u);
}

TEST_F(SettingsRegistry, AFontNoScreenCanShowCountsAsMissing)
{
    struct Case {
        LONG height, width;
        bool kept;
    };
    for (const Case& c : {Case{-4096, 0, true}, Case{4096, 4096, true}, Case{-4097, 0, false}, Case{65279, 0, false},
                          Case{-40, 5000, false}, Case{LONG_MIN, 0, false}}) {
        SCOPED_TRACE(c.height);
        LOGFONTW stored;
        CSaverSettings::SetDefaultFont(stored);
        lstrcpyW(stored.lfFaceName, L"Courier New");
        stored.lfHeight = c.height;
        stored.lfWidth = c.width;
        Put(L"LogFont", REG_BINARY, &stored, sizeof(stored));
        CSaverSettings settings;
        settings.Load();
        if (c.kept)
            EXPECT_EQ(std::memcmp(&settings.LogFont, &stored, sizeof(stored)), 0);
        else
            ExpectDefaultFont(settings.LogFont);
    }
}

TEST_F(SettingsRegistry, FourByteValuesOfOtherSizesOrTypes)
{
    const BYTE twoBytes[2] = {0x11, 0x22};
    Put(L"RunningColor", REG_BINARY, twoBytes, 2);
    const ULONGLONG wide = 3;
    Put(L"ServicesCount", REG_QWORD, &wide, 8);
    Put(L"StoppedColor", REG_SZ, L"hello", 12);
    // Types are not compared: four bytes of any type are the value.
    const DWORD paused = 0x00010203;
    Put(L"PausedColor", REG_BINARY, &paused, 4);
    const DWORD negative = static_cast<DWORD>(-7);
    Put(L"OtherColor", REG_DWORD, &negative, 4);

    CSaverSettings settings;
    settings.Load();
    EXPECT_EQ(settings.RunningColor, CSaverSettings::kDefaultRunningColor);
    EXPECT_EQ(settings.ServicesCount, 5);
    EXPECT_EQ(settings.StoppedColor, CSaverSettings::kDefaultStoppedColor);
    EXPECT_EQ(settings.PausedColor, 0x00010203u);
    EXPECT_EQ(settings.OtherColor, negative);
}

TEST_F(SettingsRegistry, StoredListsReadBackUpToTheirFirstEmptyEntry)
{
    Put(L"SavedServices", REG_MULTI_SZ, L"Spooler\0\0Eventlog\0", 2 * 19);
    Put(L"SavedServers", REG_MULTI_SZ, L"\0", 2);
    CSaverSettings settings;
    settings.Load();
    ASSERT_EQ(settings.SavedServices.GetSize(), 1);
    EXPECT_EQ(settings.SavedServices[0], L"Spooler");
    EXPECT_EQ(settings.SavedServers.GetSize(), 0);

    CRegistryKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, kKey, KEY_READ | KEY_WRITE));
    EXPECT_TRUE(key.WriteStringList(L"SavedServers", CStringArray()));
    EXPECT_EQ(Get(L"SavedServers").bytes.size(), 2u);
    CStringArray back;
    back.Add(L"stale");
    EXPECT_TRUE(key.ReadStringList(L"SavedServers", back));
    EXPECT_EQ(back.GetSize(), 0);
}

TEST_F(SettingsRegistry, MalformedListsEndAtTheEndOfTheirData)
{
    // Odd size, no terminators at all.
    Put(L"SavedServices", REG_BINARY, "S\0p\0o\0o\0l\0e\0r\0X", 15);
    // Entries terminated but no list terminator.
    Put(L"SavedServers", REG_MULTI_SZ, L"ONE\0TWO", 2 * 8);
    CSaverSettings settings;
    settings.Load();
    EXPECT_EQ(settings.SavedServices.GetSize(), 0);
    ASSERT_EQ(settings.SavedServers.GetSize(), 2);
    EXPECT_EQ(settings.SavedServers[1], L"TWO");

    // Stored as binary: the registry may add a terminator to a multi-string, and types don't matter.
    std::vector<wchar_t> huge(512 * 1024, L'x');
    Put(L"SavedServices", REG_BINARY, huge.data(), 1024 * 1024);
    huge.back() = 0;
    Put(L"SavedServers", REG_MULTI_SZ, huge.data(), 1024 * 1024);
    CSaverSettings big;
    big.Load();
    EXPECT_EQ(big.SavedServices.GetSize(), 0);
    ASSERT_EQ(big.SavedServers.GetSize(), 1);
    EXPECT_EQ(big.SavedServers[0].GetLength(), 512 * 1024 - 1);
}

TEST_F(SettingsRegistry, OddSizedListsKeepTheirCompleteEntries)
{
    // Two complete entries and a stray byte, stored as a multi-string and as binary, each way round.
    const wchar_t servers[] = L"SRV1\0SRV2\0";
    const wchar_t services[] = L"Spooler\0Eventlog\0";
    std::vector<BYTE> odd(sizeof(services) + 1, 0x41);
    for (const DWORD type : {REG_MULTI_SZ, REG_BINARY}) {
        std::memcpy(odd.data(), servers, sizeof(servers) - 2);
        Put(L"SavedServers", type, odd.data(), sizeof(servers) - 1);
        std::memcpy(odd.data(), services, sizeof(services) - 2);
        Put(L"SavedServices", type == REG_BINARY ? REG_MULTI_SZ : REG_BINARY, odd.data(), sizeof(services) - 1);
        CSaverSettings settings;
        settings.Load();
        ASSERT_EQ(settings.SavedServers.GetSize(), 2) << type;
        ASSERT_EQ(settings.SavedServices.GetSize(), 2) << type;
        EXPECT_EQ(settings.SavedServers[1], L"SRV2");
        EXPECT_EQ(settings.SavedServices[1], L"Eventlog");
    }
}

TEST_F(SettingsRegistry, KeyReadsWithAndWithoutAnOpenKey)
{
    CRegistryKey closed;
    DWORD field = 1;
    EXPECT_TRUE(closed.ReadDword(L"RunningColor", &field, 99));
    EXPECT_EQ(field, 99u);
    BYTE buffer[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_FALSE(closed.ReadBinary(L"LogFont", buffer, 8));
    EXPECT_EQ(buffer[7], 0);
    EXPECT_FALSE(closed.WriteDword(L"RunningColor", 1));
    closed.Close();
    closed.Close();

    CRegistryKey key;
    ASSERT_FALSE(KeyExists());
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, kKey, KEY_READ));
    EXPECT_TRUE(KeyExists());
    EXPECT_FALSE(key.ReadDword(L"Missing", &field, 42));
    EXPECT_EQ(field, 42u);
    CStringArray list;
    EXPECT_FALSE(key.ReadStringList(L"Missing", list));
    key.Close();

    const BYTE ten[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    Put(L"Ten", REG_BINARY, ten, 10);
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, kKey, KEY_READ));
    BYTE font[92];
    std::memset(font, 0xEE, sizeof(font));
    EXPECT_TRUE(key.ReadBinary(L"Ten", font, 92));
    EXPECT_EQ(font[9], 10);
    for (int i = 10; i < 92; ++i)
        EXPECT_EQ(font[i], 0) << i;
}

}
