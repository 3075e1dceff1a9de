// The "Setup" sheet end to end: the built program with /c, driven and read from outside.
#include "config/CColorSwatch.h"
#include "res/resource.h"
#include "settings/RegistryFormat.h"
#include "ConfigDriver.h"
#include "tests/driver/SetupSession.h"
#include "tests/driver/UiDriver.h"
#include "BuildSettings.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>
#include <vector>

namespace {

const wchar_t* const kSettingsKey = L"Software\\Zentrix\\ScreenSaver\\Quorvane Screen Saver";
const DWORD kTimeout = 20000;
// The colour dialog's red, green and blue boxes.
const int kColorEdits[3] = {706, 707, 708};

struct StoredValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool exists = false;
};

StoredValue Stored(LPCWSTR name)
{
    StoredValue value;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != 0)
        return value;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) == 0) {
        value.bytes.resize(size);
        value.exists = RegQueryValueExW(key, name, nullptr, nullptr, value.bytes.data(), &size) == 0;
    }
    RegCloseKey(key);
    return value;
}

DWORD StoredDword(LPCWSTR name)
{
    const StoredValue value = Stored(name);
    DWORD dword = 0xDEADBEEF;
    if (value.exists && value.bytes.size() == 4)
        memcpy(&dword, value.bytes.data(), 4);
    return dword;
}

void Store(LPCWSTR name, DWORD type, const void* data, size_t size)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), 0);
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
    RegCloseKey(key);
}

void StoreDword(LPCWSTR name, DWORD value)
{
    Store(name, REG_DWORD, &value, sizeof(value));
}

// The capacity the page computes, from the same screen and font in this process.
int CapacityFor(const LOGFONTW& font)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT created = CreateFontIndirectW(&font);
    HGDIOBJ old = SelectObject(dc, created);
    SIZE extent = {};
    GetTextExtentPoint32W(dc, L"ABC", 3, &extent);
    SelectObject(dc, old);
    DeleteObject(created);
    DeleteDC(dc);
    return (GetSystemMetrics(SM_CYSCREEN) - 20) / (extent.cy + 20);
}

LOGFONTW DefaultLineFont()
{
    LOGFONTW font = {};
    lstrcpyW(font.lfFaceName, L"Arial");
    font.lfHeight = -21;
    font.lfWeight = FW_NORMAL;
    return font;
}

class SetupSheet : public ::testing::Test {
protected:
    void SetUp() override { SHDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey); }
    void TearDown() override
    {
        m_setup.Process().Kill();
        SHDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
    }

    void Open()
    {
        ASSERT_TRUE(m_setup.Open());
        m_sheet = m_setup.Sheet();
    }
    HWND Page() const { return m_setup.Page(); }
    HWND Item(int id) const { return m_setup.Item(id); }
    bool ApplyEnabled() const { return m_setup.ApplyEnabled(); }
    void Close(int id) { EXPECT_TRUE(m_setup.Close(id)); }
    void Apply() { EXPECT_TRUE(m_setup.Apply()); }

    std::vector<std::wstring> CountChoices() const
    {
        std::vector<std::wstring> texts;
        HWND combo = Item(IDC_COUNT_COMBO);
        const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[16] = {};
            SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            texts.push_back(text);
        }
        return texts;
    }
    int CountSelection() const { return static_cast<int>(SendMessageW(Item(IDC_COUNT_COMBO), CB_GETCURSEL, 0, 0)); }

    void PickCount(int index) const
    {
        HWND combo = Item(IDC_COUNT_COMBO);
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(IDC_COUNT_COMBO, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    }

    // The colour dialog the "&Colors..." button opens, or null.
    HWND OpenColorDialog() const
    {
        PostMessageW(Page(), WM_COMMAND, MAKEWPARAM(IDC_COLORS, BN_CLICKED), reinterpret_cast<LPARAM>(Item(IDC_COLORS)));
        return m_setup.WaitForOtherWindow(L"#32770", 20000);
    }

    // The colour at the middle of a swatch, the n-th the page made (Running, Stopped, Paused, Other).
    COLORREF SwatchColor(int placeholder) const
    {
        RECT rect;
        GetWindowRect(Item(placeholder), &rect);
        const RECT middle = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2,
                             (rect.left + rect.right) / 2 + 1, (rect.top + rect.bottom) / 2 + 1};
        RedrawWindow(Page(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Sleep(150);
        return UiDriver::CaptureScreen(middle)[0];
    }

    // Saves the window's picture and checks every control's text fits its rectangle.
    static void CheckLayout(HWND window, const std::wstring& name)
    {
        RECT rect;
        GetWindowRect(window, &rect);
        EXPECT_TRUE(UiDriver::SaveScreenshot(rect, name + L".bmp"));
        HDC dc = CreateCompatibleDC(nullptr);
        // The templates' font, as this prefix resolves it.
        HFONT font = CreateFontW(-MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                                 DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Sans Serif");
        HGDIOBJ old = SelectObject(dc, font);
        for (HWND child : UiDriver::Children(window)) {
            const std::wstring text = UiDriver::WindowText(child);
            const std::wstring kind = UiDriver::ClassName(child);
            if (text.empty() || (kind != L"Static" && kind != L"Button") || !IsWindowVisible(child))
                continue;
            RECT needed = {0, 0, 0, 0};
            DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_SINGLELINE);
            RECT client;
            GetClientRect(child, &client);
            const LONG style = GetWindowLongW(child, GWL_STYLE);
            const LONG type = style & BS_TYPEMASK;
            // Room the control itself takes beside its text.
            LONG frame = 0;
            if (kind == L"Button" && (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON || type == BS_AUTOCHECKBOX))
                frame = GetSystemMetrics(SM_CXMENUCHECK) + 4;
            else if (kind == L"Button" && type == BS_GROUPBOX)
                frame = 16;
            else if (kind == L"Button")
                frame = 8;
            EXPECT_LE(needed.right + frame, client.right) << name.c_str() << ": \"" << std::string(text.begin(), text.end())
                                                          << "\" is clipped";
            EXPECT_LE(needed.bottom, client.bottom) << name.c_str();
        }
        SelectObject(dc, old);
        DeleteObject(font);
        DeleteDC(dc);
    }

    SetupSession m_setup;
    HWND m_sheet = nullptr;
};

TEST_F(SetupSheet, OkAtOnceWritesTheSevenDisplayValuesAndLeavesTheListsAlone)
{
    ConfigDriver::SaveLists({L"ALPHA", L"BETA"}, {L"Spooler", L"EventLog"});
    Open();
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_EQ(SendMessageW(Item(IDC_RUNNING_RADIO), BM_GETCHECK, 0, 0), BST_CHECKED);
    Close(IDOK);

    const struct {
        LPCWSTR name;
        DWORD type;
        size_t size;
    } written[] = {{L"RunningColor", REG_DWORD, 4}, {L"StoppedColor", REG_DWORD, 4}, {L"PausedColor", REG_DWORD, 4},
                   {L"OtherColor", REG_DWORD, 4},   {L"ServicesCount", REG_DWORD, 4}, {L"CustomColors", REG_BINARY, 64},
                   {L"LogFont", REG_BINARY, 92}};
    for (const auto& value : written) {
        const StoredValue stored = Stored(value.name);
        EXPECT_TRUE(stored.exists) << value.name;
        EXPECT_EQ(stored.type, value.type) << value.name;
        EXPECT_EQ(stored.bytes.size(), value.size) << value.name;
    }
    EXPECT_EQ(StoredDword(L"RunningColor"), 0x0000FF00u);
    EXPECT_EQ(StoredDword(L"PausedColor"), 0x00007FFBu);
    EXPECT_EQ(StoredDword(L"ServicesCount"), 2u);
    EXPECT_EQ(ConfigDriver::ReadStoredList(L"SavedServers").entries, (std::vector<std::wstring>{L"ALPHA", L"BETA"}));
    EXPECT_EQ(ConfigDriver::ReadStoredList(L"SavedServices").entries,
              (std::vector<std::wstring>{L"Spooler", L"EventLog"}));
}

TEST_F(SetupSheet, ApplyThenCancelKeepsWhatApplyWroteAndCancelAloneWritesNothing)
{
    Open();
    PickCount(0);
    EXPECT_TRUE(ApplyEnabled());
    Apply();
    EXPECT_EQ(StoredDword(L"ServicesCount"), 1u);
    PickCount(2);
    Close(IDCANCEL);
    EXPECT_EQ(StoredDword(L"ServicesCount"), 1u);

    SHDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
    Open();
    PickCount(3);
    Close(IDCANCEL);
    EXPECT_FALSE(Stored(L"ServicesCount").exists);
    EXPECT_FALSE(Stored(L"LogFont").exists);
}

TEST_F(SetupSheet, CountListEndsAtTheSavedPairsOrTheCapacity)
{
    const int capacity = CapacityFor(DefaultLineFont());
    ASSERT_GT(capacity, 3);
    Open();
    std::vector<std::wstring> choices = CountChoices();
    ASSERT_EQ(static_cast<int>(choices.size()), capacity);
    EXPECT_EQ(choices.front(), L"1");
    EXPECT_EQ(choices.back(), std::to_wstring(capacity));
    EXPECT_EQ(CountSelection(), 4);
    Close(IDCANCEL);

    StoreDword(L"ServicesCount", 5);
    ConfigDriver::SaveLists({L"A", L"B", L"C"}, {L"x", L"y", L"z"});
    Open();
    EXPECT_EQ(CountChoices(), (std::vector<std::wstring>{L"1", L"2", L"3"}));
    EXPECT_EQ(CountSelection(), 2);
    EXPECT_FALSE(ApplyEnabled());
    Close(IDOK);
    EXPECT_EQ(StoredDword(L"ServicesCount"), 3u);
}

TEST_F(SetupSheet, ARemovalAppliedOnTheServicesTabShortensTheCountList)
{
    const std::vector<ConfigDriver::ServiceEntry> active = ConfigDriver::LocalServices(SERVICE_WIN32, SERVICE_ACTIVE);
    ASSERT_GE(active.size(), 3u);
    const std::wstring computer = ConfigDriver::ComputerName();
    ConfigDriver::SaveLists({computer, computer, computer}, {active[0].key, active[1].key, active[2].key});
    Open();
    EXPECT_EQ(CountChoices().size(), 3u);
    ASSERT_TRUE(m_setup.ShowTab(L"Services"));
    ASSERT_TRUE(ConfigDriver::SelectRow(Page(), 1, true));
    UiDriver::PressButton(Page(), IDC_REMOVE);
    Apply();
    ASSERT_TRUE(m_setup.ShowTab(L"Display"));
    EXPECT_EQ(CountChoices(), (std::vector<std::wstring>{L"1", L"2"}));
    Close(IDCANCEL);
}

TEST_F(SetupSheet, AFontTooTallForOneLineLeavesTheListEmptyAndStoresZero)
{
    LOGFONTW font = DefaultLineFont();
    font.lfHeight = -(GetSystemMetrics(SM_CYSCREEN) + 10);
    ASSERT_EQ(CapacityFor(font), 0);
    BYTE bytes[RegistryFormat::kLogFontBytes];
    RegistryFormat::EncodeLogFont(font, bytes);
    Store(L"LogFont", REG_BINARY, bytes, sizeof(bytes));
    Open();
    EXPECT_TRUE(CountChoices().empty());
    EXPECT_EQ(CountSelection(), CB_ERR);
    Close(IDOK);
    EXPECT_EQ(StoredDword(L"ServicesCount"), 0u);
}

TEST_F(SetupSheet, SwatchesShowTheStoredColoursAndAPausedChoiceRepaintsTheThird)
{
    StoreDword(L"RunningColor", 0x00123456);
    StoreDword(L"OtherColor", 0x00654321);
    Open();
    EXPECT_EQ(SwatchColor(IDC_RUNNING_SWATCH), 0x00123456u);
    EXPECT_EQ(SwatchColor(IDC_STOPPED_SWATCH), 0x000000FFu);
    EXPECT_EQ(SwatchColor(IDC_OTHER_SWATCH), 0x00654321u);

    // Cancelling the colour dialog changes nothing.
    HWND dialog = OpenColorDialog();
    ASSERT_NE(dialog, nullptr);
    UiDriver::ClickButton(dialog, IDCANCEL);
    Sleep(300);
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_EQ(SwatchColor(IDC_RUNNING_SWATCH), 0x00123456u);

    SendMessageW(Item(IDC_PAUSED_RADIO), BM_CLICK, 0, 0);
    dialog = OpenColorDialog();
    ASSERT_NE(dialog, nullptr);
    const wchar_t* const blue[3] = {L"0", L"0", L"255"};
    for (int i = 0; i < 3; ++i)
        SendMessageW(GetDlgItem(dialog, kColorEdits[i]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(blue[i]));
    UiDriver::ClickButton(dialog, IDOK);
    for (int i = 0; i < 200 && !ApplyEnabled(); ++i)
        Sleep(25);
    EXPECT_TRUE(ApplyEnabled());
    EXPECT_EQ(SwatchColor(IDC_PAUSED_SWATCH), 0x00FF0000u);
    EXPECT_EQ(SwatchColor(IDC_OTHER_SWATCH), 0x00654321u);
    Close(IDOK);
    EXPECT_EQ(StoredDword(L"PausedColor"), 0x00FF0000u);
    EXPECT_EQ(StoredDword(L"OtherColor"), 0x00654321u);
}

TEST_F(SetupSheet, AboutPageShowsSixCentredLinesEndingWithTheAddress)
{
    Open();
    ASSERT_TRUE(m_setup.ShowTab(L"About"));
    HWND page = Page();
    std::vector<std::wstring> lines;
    for (HWND child : UiDriver::Children(page))
        if (UiDriver::ClassName(child) == L"Static") {
            EXPECT_EQ(GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK, SS_CENTER);
            lines.push_back(UiDriver::WindowText(child));
        }
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], L"Quorvane Screen Saver");
    EXPECT_EQ(lines[1], L"Version 1.0.2");
    EXPECT_EQ(lines[3], L"Looking for system utilities ?");
    EXPECT_EQ(lines[4], L"Visit our web site at");
    EXPECT_EQ(UiDriver::WindowText(GetDlgItem(page, IDC_WEB_LINK)), MAKER_URL);
    Close(IDOK);
    EXPECT_FALSE(Stored(L"SavedServices").exists);
}

TEST_F(SetupSheet, PagesAreSavedAsPicturesAndNoTextIsClipped)
{
    Open();
    for (const wchar_t* tab : {L"Display", L"Services", L"About"}) {
        ASSERT_TRUE(m_setup.ShowTab(tab));
        Sleep(300);
        CheckLayout(Page(), std::wstring(L"setup-") + tab);
    }
    CheckLayout(m_sheet, L"setup-sheet");
    ASSERT_TRUE(m_setup.ShowTab(L"Services"));
    UiDriver::ClickButton(Page(), IDC_ADD);
    HWND dialog = m_setup.WaitForOtherWindow(L"#32770", 20000);
    ASSERT_NE(dialog, nullptr);
    Sleep(300);
    CheckLayout(dialog, L"add-services");
    UiDriver::ClickButton(dialog, IDCANCEL);
    ASSERT_TRUE(ConfigDriver::WaitUntilGone(dialog));
    Close(IDCANCEL);
}

TEST_F(SetupSheet, MalformedStoredValuesOpenSoundlyAndOkWritesWellFormedOnes)
{
    ConfigDriver::SaveLists({L"A", L"B", L"C"}, {L"x"});
    StoreDword(L"ServicesCount", static_cast<DWORD>(-7));
    LOGFONTW font = DefaultLineFont();
    for (int i = 0; i < LF_FACESIZE; ++i)
        font.lfFaceName[i] = static_cast<wchar_t>(0x4E00 + i * 37);
    Store(L"LogFont", REG_BINARY, &font, sizeof(font));
    Open();
    EXPECT_EQ(CountChoices(), (std::vector<std::wstring>{L"1"}));
    Close(IDOK);
    EXPECT_EQ(StoredDword(L"ServicesCount"), 1u);
    const StoredValue stored = Stored(L"LogFont");
    ASSERT_EQ(stored.bytes.size(), 92u);
    EXPECT_EQ(stored.bytes[90] | stored.bytes[91], 0) << "the face name must end inside its field";

    StoreDword(L"ServicesCount", 100000);
    Open();
    Close(IDOK);
    EXPECT_EQ(StoredDword(L"ServicesCount"), 1u);
}

// Values and sub-keys the settings key holds, or -1 when it cannot be read.
int EntriesOfSettingsKey()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != 0)
        return -1;
    DWORD subKeys = 0, values = 0;
    const LONG queried = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                                          nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return queried == 0 ? static_cast<int>(subKeys + values) : -1;
}

// The settings key, empty, with an access list that lets this user read it and change its access
// list but denies setting values and creating sub-keys. The list it was made with is put back, and
// the key deleted, after each case.
class SetupSheetReadOnlyKey : public SetupSheet {
protected:
    void SetUp() override
    {
        SetupSheet::SetUp();
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_READ | WRITE_DAC, nullptr, &key,
                                  nullptr),
                  0);
        DWORD size = 0;
        RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
        m_original.resize(size);
        const bool saved =
            size != 0 && RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, m_original.data(), &size) == 0;
        const bool denied = saved && DenyWrites(key);
        RegCloseKey(key);
        ASSERT_TRUE(saved);
        ASSERT_TRUE(denied);
    }

    void TearDown() override
    {
        HKEY key;
        if (!m_original.empty() && RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, WRITE_DAC, &key) == 0) {
            RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, m_original.data());
            RegCloseKey(key);
        }
        SetupSheet::TearDown();
        HKEY left;
        EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &left), 0) << "the key was left behind";
    }

private:
    static bool DenyWrites(HKEY key)
    {
        HANDLE token;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
            return false;
        BYTE user[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)];
        DWORD size = 0;
        const bool known = GetTokenInformation(token, TokenUser, user, sizeof(user), &size) != FALSE;
        CloseHandle(token);
        if (!known)
            return false;
        const PSID sid = reinterpret_cast<TOKEN_USER*>(user)->User.Sid;
        // A denying entry is only sure to count when it comes before the allowing one.
        BYTE storage[512];
        const auto list = reinterpret_cast<PACL>(storage);
        SECURITY_DESCRIPTOR descriptor;
        return InitializeAcl(list, sizeof(storage), ACL_REVISION) &&
               AddAccessDeniedAce(list, ACL_REVISION, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, sid) &&
               AddAccessAllowedAce(list, ACL_REVISION, KEY_READ | WRITE_DAC | DELETE, sid) &&
               InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
               SetSecurityDescriptorDacl(&descriptor, TRUE, list, FALSE) &&
               RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor) == 0;
    }

    std::vector<BYTE> m_original;
};

TEST_F(SetupSheetReadOnlyKey, AKeyThatRefusesWritesStillOpensAndClosesAndGainsNoValue)
{
    // The platform must really refuse, or the case proves nothing.
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_WRITE, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr),
        ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key), 0);
    RegCloseKey(key);

    // Apply, then Cancel: the refused writes are silent and the sheet goes on.
    Open();
    PickCount(0);
    ASSERT_TRUE(ApplyEnabled());
    Apply();
    Close(IDCANCEL);
    EXPECT_EQ(EntriesOfSettingsKey(), 0);

    // OK with the Services page opened too, so that its lists are saved as well.
    Open();
    PickCount(1);
    ASSERT_TRUE(m_setup.ShowTab(L"Services"));
    Close(IDOK);
    EXPECT_EQ(EntriesOfSettingsKey(), 0);
}

// The swatch objects themselves, in this process: their brush is their colour.
COLORREF BrushColor(HBRUSH brush)
{
    LOGBRUSH info = {};
    GetObjectW(brush, sizeof(info), &info);
    return info.lbColor;
}

TEST(ColorSwatch, StateNamesMatchIgnoringCaseAndAnyOtherNameIsBlack)
{
    SHDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
    StoreDword(L"RunningColor", 0x00ABCDEF);
    StoreDword(L"OtherColor", 0x00010203);
    EXPECT_EQ(BrushColor(CColorSwatch(L"running").GetBrush()), 0x00ABCDEFu);
    EXPECT_EQ(BrushColor(CColorSwatch(L"RUNNING").GetBrush()), 0x00ABCDEFu);
    EXPECT_EQ(BrushColor(CColorSwatch(L"oTHER").GetBrush()), 0x00010203u);
    EXPECT_EQ(BrushColor(CColorSwatch(L"Paused").GetBrush()), 0x00007FFBu);
    EXPECT_EQ(BrushColor(CColorSwatch(L"Others").GetBrush()), 0u);
    SHDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
}

TEST(ColorSwatch, SetColorKeepsExactlyOneBrush)
{
    CColorSwatch swatch(L"Stopped");
    HBRUSH first = swatch.GetBrush();
    swatch.SetColor(0x00112233);
    EXPECT_EQ(GetObjectType(first), 0u) << "the earlier brush must be deleted";
    EXPECT_EQ(BrushColor(swatch.GetBrush()), 0x00112233u);
}

}
