// The About page's link (colours, pointer, menu, clipboard and properties) and F1, in the Setup sheet run in
// this program.
#include "BuildSettings.h"
#include "res/resource.h"
#include "tests/driver/SetupSession.h"
#include "tests/driver/TestProcess.h"
#include "tests/driver/TestRegistry.h"
#include "tests/driver/UiDriver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

const COLORREF kBlue = RGB(0, 0, 255), kRed = RGB(255, 0, 0), kPurple = RGB(128, 0, 128);
const std::string kOpened = std::string(MAKER_URL_TEXT) + "\n";

// The shell's http open command points at one that appends what it is handed to a file, which the test reads.
class Hyperlink : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_record = TestProcess::PathFromEnvironment("QSS_OUT") + L"\\url-record.txt";
        DeleteFileW(m_record.c_str());
        UiDriver::MoveMouseTo(5, 700);
        ASSERT_TRUE(Record() && m_setup.Open() && m_setup.ShowPage(IDD_ABOUT_PAGE));
        m_link = GetDlgItem(m_setup.Page(), IDC_WEB_LINK);
        GetWindowRect(m_link, &m_rect);
        m_middle = {(m_rect.left + m_rect.right) / 2, (m_rect.top + m_rect.bottom) / 2};
    }
    // The shell puts the address in place of %1; echo writes the rest of its line as it stands.
    bool Record() const { return SetCommand(L"cmd.exe /c echo %1>>" + TestProcess::Quoted(m_record)); }
    static bool SetCommand(const std::wstring& command)
    {
        // Wine's shell reads URL handlers from the machine's classes, not the user's.
        return TestRegistry::Set(nullptr, REG_SZ, command.c_str(), (command.size() + 1) * sizeof(wchar_t),
                                 L"Software\\Classes\\http\\shell\\open\\command", HKEY_LOCAL_MACHINE);
    }
    // What was recorded, one line per open, once it has that many lines (or after 10 s).
    std::string Recorded(size_t lines) const
    {
        std::string text;
        UiDriver::WaitFor(
            [&] {
                std::ifstream file(m_record.c_str());
                text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
                return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) >= lines;
            },
            10000);
        return text;
    }
    // True once the link shows this colour and neither of the other two (within 2 s).
    bool ShowsOnly(COLORREF colour) const
    {
        return UiDriver::WaitFor(
            [&] {
                const std::vector<COLORREF> pixels = UiDriver::CaptureScreen(m_rect);
                const auto shows = [&](COLORREF c) {
                    return std::find(pixels.begin(), pixels.end(), c) != pixels.end();
                };
                return shows(colour) && shows(kBlue) + shows(kRed) + shows(kPurple) == 1;
            },
            2000);
    }
    void Enter() const
    {
        UiDriver::MoveMouseTo(m_middle.x - 3, m_middle.y);
        UiDriver::MoveMouseTo(m_middle.x, m_middle.y);
    }
    void Leave() const { UiDriver::MoveMouseTo(m_middle.x, m_rect.bottom + 40); }
    // True once the pointer shows this cursor (within 2 s).
    static bool PointerBecomes(HCURSOR cursor)
    {
        CURSORINFO info = {sizeof(info), 0, nullptr, {}};
        return UiDriver::WaitFor([&] { return GetCursorInfo(&info) && info.hCursor == cursor; }, 2000);
    }
    // The menu as the keyboard opens it.
    HWND OpenMenu() const
    {
        PostMessageW(m_link, WM_CONTEXTMENU, WPARAM(m_link), MAKELPARAM(-1, -1));
        return m_setup.WaitForOtherWindow(L"#32768", nullptr, 5000);
    }

    std::wstring m_record;
    SetupSession m_setup;
    HWND m_link = nullptr;
    RECT m_rect = {};
    POINT m_middle = {};
};

TEST_F(Hyperlink, BlueAtFirstRedWhileHoveredUnchangedByAFailedOpenPurpleAfterAnOpenOncePerClickAndF1OpensTheHelpPage)
{
    EXPECT_TRUE(ShowsOnly(kBlue));
    ASSERT_TRUE(SetCommand(L"C:\\no\\such\\browser.exe %1"));
    Enter();
    EXPECT_TRUE(ShowsOnly(kRed));
    UiDriver::ClickMouseAt(m_middle.x, m_middle.y);
    // A box would disable the sheet, its owner, while it shows.
    const auto shows = [this] {
        return !IsWindowEnabled(m_setup.Sheet()) || m_setup.WaitForOtherWindow(nullptr, nullptr, 0);
    };
    EXPECT_FALSE(UiDriver::WaitFor(shows, 5000)) << "a failed open must not show anything";
    // Left only once the open is over, so that the colour shown is the one the open left.
    SendMessageTimeoutW(m_link, WM_NULL, 0, 0, SMTO_NORMAL, SetupSession::kTimeout, nullptr);
    Leave();
    EXPECT_TRUE(ShowsOnly(kBlue));
    ASSERT_TRUE(Record());
    Enter();
    UiDriver::ClickMouseAt(m_middle.x, m_middle.y);
    EXPECT_EQ(Recorded(1), kOpened);
    Leave();
    EXPECT_TRUE(ShowsOnly(kPurple));
    Enter();
    EXPECT_TRUE(ShowsOnly(kRed));
    // Apart by more than the double-click square, so that it is a click of its own.
    UiDriver::ClickMouseAt(m_middle.x + GetSystemMetrics(SM_CXDOUBLECLK) + 2, m_middle.y);
    EXPECT_EQ(Recorded(2), kOpened + kOpened);
    Leave();
    EXPECT_TRUE(ShowsOnly(kPurple));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(m_setup.Sheet(), IDHELP))) << "help is a key, not a button";
    // F1 goes to the focus of the sheet's thread once the sheet is in the foreground.
    SetForegroundWindow(m_setup.Sheet());
    GUITHREADINFO gui = {sizeof(gui), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};
    const auto ready = [&] { return GetGUIThreadInfo(0, &gui) && gui.hwndActive == m_setup.Sheet() && gui.hwndFocus; };
    ASSERT_TRUE(UiDriver::WaitFor(ready, SetupSession::kTimeout));
    UiDriver::PressKey(VK_F1);
    EXPECT_EQ(Recorded(3), kOpened + kOpened + "http://www.zentrix.example/default.asp?Jump=Saver\n");
}

TEST_F(Hyperlink, TheMenuOpensBesideTheLinkWithTheArrowShowsPropertiesAndCopiesTheAddressNotTheText)
{
    Enter();
    EXPECT_TRUE(PointerBecomes(LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_LINK_HAND))));
    HWND menu = OpenMenu();
    ASSERT_NE(menu, nullptr);
    RECT rect;
    GetWindowRect(menu, &rect);
    // 5 pixels at 96 DPI, as the platform scales them to the screen's.
    HDC screen = GetDC(nullptr);
    const int offset = MulDiv(5, GetDeviceCaps(screen, LOGPIXELSY), 96);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(rect.left, m_rect.left + offset);
    EXPECT_EQ(rect.top, m_rect.top + offset);
    // Over the link beside the menu's corner.
    UiDriver::MoveMouseTo(m_rect.left + 3, m_rect.top + 1);
    EXPECT_TRUE(PointerBecomes(LoadCursorW(nullptr, IDC_ARROW))) << "the arrow while the menu is open";
    // "P&roperties...": its mnemonic reaches the command.
    UiDriver::PressKey('R');
    HWND sheet = m_setup.WaitForOtherWindow(L"#32770", L"Properties", 10000);
    ASSERT_NE(sheet, nullptr);
    EXPECT_FALSE(IsWindowEnabled(m_setup.Sheet())) << "the Setup sheet waits for the properties";
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    EXPECT_EQ(UiDriver::WindowText(GetDlgItem(page, IDC_LINK_TEXT)), UiDriver::WindowText(m_link));
    EXPECT_EQ(UiDriver::WindowText(GetDlgItem(page, IDC_LINK_URL)), MAKER_URL);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet, SetupSession::kApplyButton)));
    SetupSession::CheckLayout(sheet, L"link-properties");
    ASSERT_TRUE(m_setup.EndDialog(sheet, IDCANCEL));
    // Someone else's data first: the copy must not leave it beside the address.
    const UINT stale = RegisterClipboardFormatW(L"QssStaleFormat");
    ASSERT_TRUE(OpenClipboard(nullptr) && EmptyClipboard() && SetClipboardData(stale, GlobalAlloc(GMEM_MOVEABLE, 4)));
    CloseClipboard();
    SendMessageW(m_link, WM_SETTEXT, 0, LPARAM(L"Our web site"));
    ASSERT_NE(OpenMenu(), nullptr);
    // "Copy Shor&tcut": its mnemonic reaches the command.
    UiDriver::PressKey('T');
    // The clipboard opens to the test once the copy has closed it.
    ASSERT_TRUE(UiDriver::WaitFor([] { return IsClipboardFormatAvailable(CF_UNICODETEXT) && OpenClipboard(nullptr); },
                                  5000));
    HANDLE copied = GetClipboardData(CF_UNICODETEXT);
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(GlobalLock(copied))), MAKER_URL);
    GlobalUnlock(copied);
    EXPECT_FALSE(IsClipboardFormatAvailable(stale));
    CloseClipboard();
}

// link_fr_tests and the scaled screen runs run this case with LANG=fr_FR.UTF-8, from which Wine takes the user
// interface language.
TEST_F(Hyperlink, InFrenchThePlatformPicksTheFrenchMenuAndPage)
{
    if (!SetupSession::InFrench())
        GTEST_SKIP() << "link_fr_tests runs it";
    ASSERT_NE(OpenMenu(), nullptr);
    // "&Propri\u00E9t\u00E9s...": P is only a key of the French menu.
    UiDriver::PressKey('P');
    HWND sheet = m_setup.WaitForOtherWindow(L"#32770", L"Propri\u00E9t\u00E9s", 10000);
    ASSERT_NE(sheet, nullptr);
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    EXPECT_EQ(UiDriver::WindowText(GetDlgItem(page, IDC_LINK_ADDRESS_LABEL)), L"Adresse (URL):");
    SetupSession::CheckLayout(page, L"link-properties-fr");
}

} // namespace
