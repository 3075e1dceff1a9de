// The "Setup" sheet as /c shows it, run in this program and driven through its windows.
#include "config/CColorSwatch.h"
#include "res/resource.h"
#include "tests/driver/SetupSession.h"
#include "tests/driver/TestRegistry.h"
#include "tests/driver/UiDriver.h"

#include <colordlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <map>

namespace {

using namespace TestRegistry;
class SetupSheet : public ::testing::Test {
protected:
    void SetUp() override { DeleteSettings(); }
    void TearDown() override { DeleteSettings(); }
    bool Open() { return m_setup.Open() && (m_display = m_setup.Page()) != nullptr; }
    HWND Combo() const { return GetDlgItem(m_display, IDC_COUNT_COMBO); }
    LRESULT Choices() const { return SendMessageW(Combo(), CB_GETCOUNT, 0, 0); }
    LRESULT Selection() const { return SendMessageW(Combo(), CB_GETCURSEL, 0, 0); }
    void PickCount(int index) const
    {
        SendMessageW(Combo(), CB_SETCURSEL, index, 0);
        SendMessageW(m_display, WM_COMMAND, MAKEWPARAM(IDC_COUNT_COMBO, CBN_SELCHANGE), LPARAM(Combo()));
    }
    // The colour at the middle of a swatch, once it is the expected one or after 3 s.
    COLORREF SwatchColor(int placeholder, COLORREF expected) const
    {
        RECT r;
        GetWindowRect(GetDlgItem(m_display, placeholder), &r);
        const RECT middle = {(r.left + r.right) / 2, (r.top + r.bottom) / 2, (r.left + r.right) / 2 + 1, r.bottom};
        COLORREF seen = CLR_INVALID;
        UiDriver::WaitFor([&] { return (seen = UiDriver::CaptureScreen(middle)[0]) == expected; }, 3000);
        return seen;
    }

    SetupSession m_setup;
    HWND m_display = nullptr;
};

TEST_F(SetupSheet, TheSavedPairsBoundTheCountListApplyWritesOnlyTheDisplayValuesCancelNothingAndOkTheChoice)
{
    SetDword(L"ServicesCount", 5);
    // Uneven lists pair up to the shorter one.
    SaveLists({L"A", L"B", L"C"}, {L"x", L"y", L"z", L"w"});
    ASSERT_TRUE(Open());
    EXPECT_EQ(Choices(), 3);
    EXPECT_EQ(Selection(), 2);
    EXPECT_FALSE(m_setup.ApplyEnabled());
    PickCount(0);
    ASSERT_NE(m_setup.ShowPage(IDD_ABOUT_PAGE), nullptr);
    EXPECT_EQ(GetDword(L"ServicesCount"), 5u);
    EXPECT_TRUE(m_setup.Apply());
    // Every page with a window is applied: the Display page's values, not the lists, nothing of the About page. Each
    // value's type and size:
    std::map<std::wstring, std::pair<DWORD, size_t>> shapes;
    for (const auto& [name, value] : AllValues())
        shapes[name] = {value.type, value.bytes.size()};
    EXPECT_EQ(shapes, (decltype(shapes){{L"RunningColor", {REG_DWORD, 4}}, {L"StoppedColor", {REG_DWORD, 4}},
                                        {L"PausedColor", {REG_DWORD, 4}}, {L"OtherColor", {REG_DWORD, 4}},
                                        {L"ServicesCount", {REG_DWORD, 4}}, {L"CustomColors", {REG_BINARY, 64}},
                                        {L"LogFont", {REG_BINARY, 92}}, {L"SavedServers", {REG_MULTI_SZ, 14}},
                                        {L"SavedServices", {REG_MULTI_SZ, 18}}}));
    EXPECT_EQ(GetDword(L"ServicesCount"), 1u);
    PickCount(2);
    EXPECT_TRUE(m_setup.Close(IDCANCEL));
    EXPECT_EQ(GetDword(L"ServicesCount"), 1u);
    // OK writes the count the list shows, also when nothing was changed.
    SetDword(L"ServicesCount", 5);
    ASSERT_TRUE(Open());
    EXPECT_TRUE(m_setup.Close(IDOK));
    EXPECT_EQ(GetDword(L"ServicesCount"), 3u);
}

TEST_F(SetupSheet, SwatchesShowStoredAndChosenColoursAndAChosenFontRefillsTheCountListToItsCapacityKeepingTheCount)
{
    const int swatches[4] = {IDC_RUNNING_SWATCH, IDC_STOPPED_SWATCH, IDC_PAUSED_SWATCH, IDC_OTHER_SWATCH};
    const LPCWSTR names[4] = {L"RunningColor", L"StoppedColor", L"PausedColor", L"OtherColor"};
    const COLORREF colours[4] = {0x00123456, 0x00234567, 0x00345678, 0x00456789};
    for (int i = 0; i < 4; ++i)
        SetDword(names[i], colours[i]);
    // A font too tall for one row on the screen.
    LOGFONTW font = {};
    font.lfHeight = -(GetSystemMetrics(SM_CYSCREEN) + 10);
    Set(L"LogFont", REG_BINARY, &font, sizeof(font));
    SaveLists({L"A", L"B", L"C"}, {L"x", L"y", L"z"});
    ASSERT_TRUE(Open());
    EXPECT_EQ(Choices(), 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(SwatchColor(swatches[i], colours[i]), colours[i]) << i;
    // The colour dialog opens on the checked state's colour, in its red, green and blue boxes.
    const auto opensOn = [](HWND colour) {
        return RGB(GetDlgItemInt(colour, COLOR_RED, nullptr, FALSE), GetDlgItemInt(colour, COLOR_GREEN, nullptr, FALSE),
                   GetDlgItemInt(colour, COLOR_BLUE, nullptr, FALSE));
    };
    HWND dialog = m_setup.OpenDialog(IDC_COLORS, L"Color");
    EXPECT_EQ(opensOn(dialog), colours[0]);
    ASSERT_TRUE(m_setup.EndDialog(dialog, IDCANCEL));
    EXPECT_FALSE(m_setup.ApplyEnabled()) << "a cancelled colour dialog changed the page";
    dialog = m_setup.OpenDialog(IDC_FONT, L"Font");
    ASSERT_NE(dialog, nullptr);
    // Arial is only a substitute here: the dialog lists the face by its own name.
    ASSERT_NE(SendDlgItemMessageW(dialog, cmb1, CB_SELECTSTRING, WPARAM(-1), LPARAM(L"Liberation Sans")), CB_ERR);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), LPARAM(GetDlgItem(dialog, cmb1)));
    // The typed size counts once no listed size is selected.
    SendDlgItemMessageW(dialog, cmb3, CB_SETCURSEL, WPARAM(-1), 0);
    SetDlgItemTextW(dialog, cmb3, L"74");
    ASSERT_TRUE(m_setup.EndDialog(dialog, IDOK));
    // Opened again and left as it is, the font keeps its size: 3k + 2 points once grew by one at 150 %.
    ASSERT_TRUE(m_setup.EndDialog(m_setup.OpenDialog(IDC_FONT, L"Font"), IDOK));
    // 74-point Arial is 111 pixels high: five rows fit a 768-pixel screen, more than the saved pairs. The screen-size
    // runs at 150 % and 200 % give screen, font and gaps 1.5 and 2 times the pixels, and store the same 99 pixels.
    EXPECT_TRUE(UiDriver::WaitFor([this] { return Choices() == 5; }, 5000));
    EXPECT_EQ(Selection(), 4);
    EXPECT_TRUE(m_setup.ApplyEnabled());
    SendDlgItemMessageW(m_display, IDC_PAUSED_RADIO, BM_CLICK, 0, 0);
    dialog = m_setup.OpenDialog(IDC_COLORS, L"Color");
    EXPECT_EQ(opensOn(dialog), colours[2]);
    for (const auto& [box, value] : {std::pair{COLOR_RED, L"0"}, {COLOR_GREEN, L"0"}, {COLOR_BLUE, L"255"}})
        SetDlgItemTextW(dialog, box, value);
    ASSERT_TRUE(m_setup.EndDialog(dialog, IDOK));
    EXPECT_EQ(SwatchColor(IDC_PAUSED_SWATCH, 0x00FF0000), 0x00FF0000u);
    EXPECT_EQ(SwatchColor(IDC_OTHER_SWATCH, colours[3]), colours[3]);
    EXPECT_TRUE(m_setup.Close(IDOK));
    EXPECT_EQ(GetDword(L"ServicesCount"), 0u);
    ASSERT_EQ(Get(L"LogFont").bytes.size(), 92u);
    EXPECT_EQ(reinterpret_cast<const LOGFONTW*>(Get(L"LogFont").bytes.data())->lfHeight, -99);
    EXPECT_EQ(GetDword(L"PausedColor"), 0x00FF0000u);
    EXPECT_EQ(GetDword(L"RunningColor"), colours[0]);
}

TEST_F(SetupSheet, PagesAreSavedAsPicturesAndNoTextIsClipped)
{
    ASSERT_TRUE(Open());
    // Each page's caption and a label, and a label of the add dialog, in English and in French.
    const int french = SetupSession::InFrench();
    const std::wstring language = french ? L"-fr" : L"";
    const struct {
        int page;
        const wchar_t* name;
        const wchar_t* texts[2][2];
    } pages[] = {
        {IDD_DISPLAY_PAGE, L"Display", {{L"Display", L"&Font..."}, {L"Affichage", L"&Police..."}}},
        {IDD_ABOUT_PAGE, L"About", {{L"About", L"by Zentrix Software"}, {L"\u00C0 propos", L"par Zentrix Software"}}},
        {IDD_SERVICES_PAGE, L"Services", {{L"Services", L"&Remove"}, {L"Services", L"&Supprimer"}}}};
    for (const auto& [page, name, texts] : pages) {
        ASSERT_NE(m_setup.ShowPage(page), nullptr);
        EXPECT_EQ(UiDriver::WindowText(m_setup.Page()), texts[french][0]);
        EXPECT_NE(FindWindowExW(m_setup.Page(), nullptr, nullptr, texts[french][1]), nullptr) << name;
        SetupSession::CheckLayout(m_setup.Page(), std::wstring(L"setup-") + name + language);
    }
    // The Services list's columns, 75 and 350 pixels at 96 DPI, keep their physical width at any scale.
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    for (const auto& [column, width] : {std::pair{0, 75}, {1, 350}})
        EXPECT_EQ(ListView_GetColumnWidth(GetDlgItem(m_setup.Page(), IDC_SERVICE_LIST), column), MulDiv(width, dpi, 96));
    SetupSession::CheckLayout(m_setup.Sheet(), L"setup-sheet" + language);
    HWND dialog = m_setup.OpenDialog(IDC_ADD, L"Services");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(UiDriver::WindowText(GetDlgItem(dialog, IDC_SELECT_RUNNING)),
              french ? L"&D\u00E9marr\u00E9s" : L"&Running");
    SetupSession::CheckLayout(dialog, L"add-services" + language);
}

TEST_F(SetupSheet, AKeyThatRefusesWritesStillAppliesAndClosesAndStaysTheKeyItWas)
{
    // Everyone may read the key, change its access list and delete it, but not write into it. The platform must
    // really refuse, or the case proves nothing.
    ASSERT_TRUE(SetAccess(L"D:P(D;;0x6;;;WD)(A;;0x70019;;;WD)") && !SetDword(L"ServicesCount", 1));
    ASSERT_TRUE(Open());
    PickCount(0);
    EXPECT_TRUE(m_setup.Apply());
    // OK with the Services page opened too, so that its lists are saved as well.
    ASSERT_NE(m_setup.ShowPage(IDD_SERVICES_PAGE), nullptr);
    EXPECT_TRUE(m_setup.Close(IDOK));
    // A key deleted and made again would take writes.
    EXPECT_FALSE(SetDword(L"ServicesCount", 1)) << "the sheet replaced the key that refused it";
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

} // namespace
