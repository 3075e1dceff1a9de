// The "Setup" sheet end to end: the built program with /c, driven and read from outside.
#include "config/CColorSwatch.h"
#include "res/resource.h"
#include "settings/CSaverSettings.h"
#include "settings/RegistryFormat.h"
#include "tests/driver/SetupSession.h"
#include "tests/driver/TestRegistry.h"
#include "tests/driver/UiDriver.h"

#include <dlgs.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <map>

namespace {

using Shapes = std::map<std::wstring, std::pair<DWORD, size_t>>;
const Shapes kDisplayValues = {{L"RunningColor", {REG_DWORD, 4}},  {L"StoppedColor", {REG_DWORD, 4}},
                               {L"PausedColor", {REG_DWORD, 4}},   {L"OtherColor", {REG_DWORD, 4}},
                               {L"ServicesCount", {REG_DWORD, 4}}, {L"CustomColors", {REG_BINARY, 64}},
                               {L"LogFont", {REG_BINARY, 92}}};
const std::vector<std::wstring> kOneToThree = {L"1", L"2", L"3"};

// Each stored value's name with its type and size.
Shapes StoredShapes()
{
    Shapes shapes;
    for (const auto& value : TestRegistry::AllValues())
        shapes[value.first] = {value.second.type, value.second.bytes.size()};
    return shapes;
}

class SetupSheet : public ::testing::Test {
protected:
    void SetUp() override { TestRegistry::DeleteSettings(); }
    void TearDown() override
    {
        m_setup.Process().Kill();
        TestRegistry::DeleteSettings();
    }

    bool Open()
    {
        m_display = m_setup.Open() ? m_setup.Page() : nullptr;
        return m_display != nullptr;
    }
    HWND Combo() const { return GetDlgItem(m_display, IDC_COUNT_COMBO); }
    std::vector<std::wstring> CountChoices() const
    {
        std::vector<std::wstring> texts;
        for (int i = 0; i < static_cast<int>(SendMessageW(Combo(), CB_GETCOUNT, 0, 0)); ++i) {
            wchar_t text[16] = {};
            SendMessageW(Combo(), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            texts.push_back(text);
        }
        return texts;
    }
    LRESULT CountSelection() const { return SendMessageW(Combo(), CB_GETCURSEL, 0, 0); }
    void PickCount(int index) const
    {
        SendMessageW(Combo(), CB_SETCURSEL, index, 0);
        SendMessageW(m_display, WM_COMMAND, MAKEWPARAM(IDC_COUNT_COMBO, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Combo()));
    }
    // Opens the common dialog a button of the Display page runs.
    HWND OpenDialog(int button, LPCWSTR caption) const
    {
        UiDriver::ClickButton(m_display, button);
        return m_setup.WaitForOtherWindow(L"#32770", caption);
    }
    bool EndDialog(HWND dialog, int button) const
    {
        UiDriver::ClickButton(dialog, button);
        return UiDriver::WaitFor([dialog] { return !IsWindow(dialog); }, SetupSession::kTimeout);
    }
    // The colour at the middle of a swatch, once it is the expected one or after 3 s.
    COLORREF SwatchColor(int placeholder, COLORREF expected) const
    {
        RECT rect;
        GetWindowRect(GetDlgItem(m_display, placeholder), &rect);
        const LONG x = (rect.left + rect.right) / 2, y = (rect.top + rect.bottom) / 2;
        COLORREF seen = CLR_INVALID;
        UiDriver::WaitFor([&] { return (seen = UiDriver::CaptureScreen({x, y, x + 1, y + 1})[0]) == expected; }, 3000);
        return seen;
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
            RECT needed = {0, 0, 0, 0}, client;
            DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_SINGLELINE);
            GetClientRect(child, &client);
            const LONG type = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
            // Room the control itself takes beside its text.
            LONG frame = 0;
            if (kind == L"Button" && (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON || type == BS_AUTOCHECKBOX))
                frame = GetSystemMetrics(SM_CXMENUCHECK) + 4;
            else if (kind == L"Button")
                frame = type == BS_GROUPBOX ? 16 : 8;
            EXPECT_LE(needed.right + frame, client.right)
                << name.c_str() << ": \"" << std::string(text.begin(), text.end()) << "\" is clipped";
            EXPECT_LE(needed.bottom, client.bottom) << name.c_str();
        }
        SelectObject(dc, old);
        DeleteObject(font);
        DeleteDC(dc);
    }

    SetupSession m_setup;
    HWND m_display = nullptr;
};

TEST_F(SetupSheet, OkWritesTheSevenDisplayValuesAndTheSavedPairsBoundTheCountList)
{
    TestRegistry::SetDword(L"ServicesCount", 5);
    // Uneven lists pair up to the shorter one.
    TestRegistry::SaveLists({L"A", L"B", L"C"}, {L"x", L"y", L"z", L"w"});
    ASSERT_TRUE(Open());
    EXPECT_EQ(CountChoices(), kOneToThree);
    EXPECT_EQ(CountSelection(), 2);
    EXPECT_FALSE(m_setup.ApplyEnabled());
    EXPECT_TRUE(m_setup.Close(IDOK));
    Shapes shapes = StoredShapes();
    shapes.erase(L"SavedServers");
    shapes.erase(L"SavedServices");
    EXPECT_EQ(shapes, kDisplayValues);
    EXPECT_EQ(TestRegistry::GetDword(L"ServicesCount"), 3u);
    EXPECT_EQ(TestRegistry::ReadStoredList(L"SavedServices").entries,
              (std::vector<std::wstring>{L"x", L"y", L"z", L"w"}));
    EXPECT_EQ(TestRegistry::ReadStoredList(L"SavedServers").entries, (std::vector<std::wstring>{L"A", L"B", L"C"}));
}

TEST_F(SetupSheet, ApplyWithTheAboutPageOpenWritesOnlyTheDisplayValuesAndCancelWritesNothing)
{
    ASSERT_TRUE(Open());
    PickCount(0);
    ASSERT_TRUE(m_setup.ShowTab(L"About"));
    EXPECT_TRUE(TestRegistry::AllValues().empty());
    EXPECT_TRUE(m_setup.Apply());
    // Every page with a window is applied: the Display page's values, no lists, nothing of the About page.
    EXPECT_EQ(StoredShapes(), kDisplayValues);
    EXPECT_EQ(TestRegistry::GetDword(L"ServicesCount"), 1u);
    PickCount(2);
    EXPECT_TRUE(m_setup.Close(IDCANCEL));
    EXPECT_EQ(StoredShapes(), kDisplayValues);
    EXPECT_EQ(TestRegistry::GetDword(L"ServicesCount"), 1u);
}

TEST_F(SetupSheet, AChosenFontRefillsTheCountListToItsCapacityAndKeepsTheCount)
{
    TestRegistry::SetDword(L"ServicesCount", 2);
    TestRegistry::SaveLists({L"A", L"B", L"C"}, {L"x", L"y", L"z"});
    ASSERT_TRUE(Open());
    ASSERT_EQ(CountChoices(), kOneToThree);
    HWND dialog = OpenDialog(IDC_FONT, L"Font");
    ASSERT_NE(dialog, nullptr);
    // The typed size counts once no listed size is selected.
    SendDlgItemMessageW(dialog, cmb3, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetDlgItemTextW(dialog, cmb3, L"72");
    ASSERT_TRUE(EndDialog(dialog, IDOK));
    EXPECT_TRUE(UiDriver::WaitFor([this] { return m_setup.ApplyEnabled(); }, SetupSession::kTimeout));
    // 72-point Arial is 110 pixels high: five rows fit a 768-pixel screen, more than the saved pairs.
    EXPECT_EQ(CountChoices(), (std::vector<std::wstring>{L"1", L"2", L"3", L"4", L"5"}));
    EXPECT_EQ(CountSelection(), 1);
    EXPECT_TRUE(m_setup.Close(IDOK));
    EXPECT_EQ(TestRegistry::GetDword(L"ServicesCount"), 2u);
    const TestRegistry::Value font = TestRegistry::Get(L"LogFont");
    ASSERT_EQ(font.bytes.size(), 92u);
    EXPECT_EQ(reinterpret_cast<const LOGFONTW*>(font.bytes.data())->lfHeight, -96);
}

TEST_F(SetupSheet, AFontTooTallForOneLineLeavesTheListEmptyAndStoresZero)
{
    LOGFONTW font = {};
    lstrcpyW(font.lfFaceName, L"Arial");
    font.lfHeight = -(GetSystemMetrics(SM_CYSCREEN) + 10);
    BYTE bytes[RegistryFormat::kLogFontBytes];
    RegistryFormat::EncodeLogFont(font, bytes);
    TestRegistry::Set(L"LogFont", REG_BINARY, bytes, sizeof(bytes));
    ASSERT_TRUE(Open());
    EXPECT_TRUE(CountChoices().empty());
    EXPECT_TRUE(m_setup.Close(IDOK));
    EXPECT_EQ(TestRegistry::GetDword(L"ServicesCount"), 0u);
}

TEST_F(SetupSheet, SwatchesShowTheStoredColoursAndAPausedChoiceRepaintsItsOwn)
{
    const int swatches[4] = {IDC_RUNNING_SWATCH, IDC_STOPPED_SWATCH, IDC_PAUSED_SWATCH, IDC_OTHER_SWATCH};
    const LPCWSTR names[4] = {L"RunningColor", L"StoppedColor", L"PausedColor", L"OtherColor"};
    const COLORREF colours[4] = {0x00123456, 0x00234567, 0x00345678, 0x00456789};
    for (int i = 0; i < 4; ++i)
        TestRegistry::SetDword(names[i], colours[i]);
    ASSERT_TRUE(Open());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(SwatchColor(swatches[i], colours[i]), colours[i]) << i;

    HWND dialog = OpenDialog(IDC_COLORS, L"Color");
    ASSERT_TRUE(dialog != nullptr && EndDialog(dialog, IDCANCEL));
    EXPECT_FALSE(m_setup.ApplyEnabled()) << "a cancelled colour dialog changed the page";

    SendDlgItemMessageW(m_display, IDC_PAUSED_RADIO, BM_CLICK, 0, 0);
    dialog = OpenDialog(IDC_COLORS, L"Color");
    ASSERT_NE(dialog, nullptr);
    // The dialog's red, green and blue boxes.
    for (const auto& [box, value] : {std::make_pair(706, L"0"), std::make_pair(707, L"0"), std::make_pair(708, L"255")})
        SetDlgItemTextW(dialog, box, value);
    ASSERT_TRUE(EndDialog(dialog, IDOK));
    EXPECT_EQ(SwatchColor(IDC_PAUSED_SWATCH, 0x00FF0000), 0x00FF0000u);
    EXPECT_EQ(SwatchColor(IDC_OTHER_SWATCH, colours[3]), colours[3]);
    EXPECT_TRUE(m_setup.ApplyEnabled());
    EXPECT_TRUE(m_setup.Close(IDOK));
    EXPECT_EQ(TestRegistry::GetDword(L"PausedColor"), 0x00FF0000u);
    EXPECT_EQ(TestRegistry::GetDword(L"RunningColor"), colours[0]);
}

TEST_F(SetupSheet, PagesAreSavedAsPicturesAndNoTextIsClipped)
{
    ASSERT_TRUE(Open());
    for (const wchar_t* tab : {L"Display", L"Services", L"About"}) {
        ASSERT_TRUE(m_setup.ShowTab(tab));
        Sleep(300);
        CheckLayout(m_setup.Page(), std::wstring(L"setup-") + tab);
    }
    CheckLayout(m_setup.Sheet(), L"setup-sheet");
    UiDriver::ClickButton(m_setup.Page(), IDC_ADD);
    HWND dialog = m_setup.WaitForOtherWindow(L"#32770", L"Services");
    ASSERT_NE(dialog, nullptr);
    Sleep(300);
    CheckLayout(dialog, L"add-services");
}

TEST_F(SetupSheet, AKeyThatRefusesWritesStillOpensAndClosesAndGainsNoValue)
{
    // Everyone may read the key, change its access list and delete it, but not write into it.
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(D;;0x6;;;WD)(A;;0x70019;;;WD)",
                                                                     SDDL_REVISION_1, &readOnly, nullptr));
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, CSaverSettings::KeyPath(), 0, nullptr, 0, KEY_READ | WRITE_DAC,
                              nullptr, &key, nullptr),
              0);
    const LONG secured = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly);
    RegCloseKey(key);
    LocalFree(readOnly);
    ASSERT_EQ(secured, 0);
    // The platform must really refuse, or the case proves nothing.
    ASSERT_FALSE(TestRegistry::SetDword(L"ServicesCount", 1));

    ASSERT_TRUE(Open());
    PickCount(0);
    EXPECT_TRUE(m_setup.Apply());
    EXPECT_TRUE(m_setup.Close(IDCANCEL));
    // OK with the Services page opened too, so that its lists are saved as well.
    ASSERT_TRUE(Open());
    PickCount(1);
    ASSERT_TRUE(m_setup.ShowTab(L"Services"));
    EXPECT_TRUE(m_setup.Close(IDOK));
    EXPECT_TRUE(TestRegistry::AllValues().empty());
    TestRegistry::DeleteSettings();
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, CSaverSettings::KeyPath(), 0, KEY_READ, &key), 0) << "key left behind";
}

TEST(ColorSwatch, SetColorKeepsExactlyOneBrush)
{
    CColorSwatch swatch(L"Stopped");
    HBRUSH first = swatch.GetBrush();
    swatch.SetColor(0x00112233);
    EXPECT_EQ(GetObjectType(first), 0u) << "the earlier brush must be deleted";
    LOGBRUSH brush = {};
    GetObjectW(swatch.GetBrush(), sizeof(brush), &brush);
    EXPECT_EQ(brush.lbColor, 0x00112233u);
}

}
