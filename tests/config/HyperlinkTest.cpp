// The About page's link end to end: colours, pointer, menu, clipboard and properties.
#include "BuildSettings.h"
#include "res/resource.h"
#include "tests/driver/SetupSession.h"
#include "tests/driver/UiDriver.h"
#include "tests/driver/UrlRecorder.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

const COLORREF kBlue = RGB(0, 0, 255), kRed = RGB(255, 0, 0), kPurple = RGB(128, 0, 128);
const std::string kOpened = std::string(MAKER_URL_TEXT) + "\n";

class Hyperlink : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_recorder.Ready());
        UiDriver::MoveMouseTo(5, 700);
        ASSERT_TRUE(m_setup.Open());
        ASSERT_TRUE(m_setup.ShowTab(L"About"));
        m_link = m_setup.Item(IDC_WEB_LINK);
        ASSERT_NE(m_link, nullptr);
        GetWindowRect(m_link, &m_rect);
    }
    // Any menu or sheet still up goes with the program.
    void TearDown() override { m_setup.Process().Kill(); }

    // True once the link shows this colour and neither of the other two (within 2 s).
    bool ShowsOnly(COLORREF colour) const
    {
        return UiDriver::WaitFor(
            [&] {
                const std::vector<COLORREF> pixels = UiDriver::CaptureScreen(m_rect);
                std::set<COLORREF> shown;
                for (COLORREF c : {kBlue, kRed, kPurple})
                    if (std::find(pixels.begin(), pixels.end(), c) != pixels.end())
                        shown.insert(c);
                return shown == std::set<COLORREF>{colour};
            },
            2000);
    }
    POINT Middle() const { return {(m_rect.left + m_rect.right) / 2, (m_rect.top + m_rect.bottom) / 2}; }
    void Enter() const
    {
        UiDriver::MoveMouseTo(Middle().x - 3, Middle().y);
        UiDriver::MoveMouseTo(Middle().x, Middle().y);
    }
    void Leave() const { UiDriver::MoveMouseTo(Middle().x, m_rect.bottom + 40); }
    // Clicks apart by more than the double-click square, so that each is a click of its own.
    void Click(int offset = 0) const { UiDriver::ClickMouseAt(Middle().x + offset, Middle().y); }
    static HCURSOR CurrentCursor()
    {
        CURSORINFO info = {};
        info.cbSize = sizeof(info);
        GetCursorInfo(&info);
        return info.hCursor;
    }
    HWND OpenMenu(LPARAM where) const
    {
        PostMessageW(m_link, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_link), where);
        return m_setup.WaitForOtherWindow(L"#32768", nullptr, 5000);
    }

    UrlRecorder m_recorder;
    SetupSession m_setup;
    HWND m_link = nullptr;
    RECT m_rect = {};
};

TEST_F(Hyperlink, BlueAtFirstRedWhileHoveredPurpleAfterAnOpenOncePerClick)
{
    EXPECT_TRUE(ShowsOnly(kBlue));
    Enter();
    EXPECT_TRUE(ShowsOnly(kRed));
    Leave();
    EXPECT_TRUE(ShowsOnly(kBlue));
    Enter();
    Click();
    EXPECT_EQ(m_recorder.Recorded(1), kOpened);
    Leave();
    EXPECT_TRUE(ShowsOnly(kPurple));
    Enter();
    EXPECT_TRUE(ShowsOnly(kRed));
    Click(GetSystemMetrics(SM_CXDOUBLECLK) + 2);
    EXPECT_EQ(m_recorder.Recorded(2), kOpened + kOpened);
    Leave();
    EXPECT_TRUE(ShowsOnly(kPurple));
}

TEST_F(Hyperlink, ThePointerIsTheHandOverTheLinkAndTheArrowWhileTheMenuIsOpen)
{
    // Another process's cursor can't be read here, so the arrow is the one its OK button shows.
    RECT ok;
    GetWindowRect(GetDlgItem(m_setup.Sheet(), IDOK), &ok);
    UiDriver::MoveMouseTo(ok.left + 4, ok.top + 4);
    UiDriver::MoveMouseTo(ok.left + 5, ok.top + 5);
    Sleep(200);
    const HCURSOR arrow = CurrentCursor();
    Enter();
    EXPECT_TRUE(UiDriver::WaitFor([&] { return CurrentCursor() != arrow && CurrentCursor() != nullptr; }, 2000));
    ASSERT_NE(OpenMenu(MAKELPARAM(Middle().x, Middle().y)), nullptr);
    UiDriver::MoveMouseTo(Middle().x - 2, Middle().y - 4);
    EXPECT_TRUE(UiDriver::WaitFor([&] { return CurrentCursor() == arrow; }, 2000)) << "the arrow while the menu is open";
}

TEST_F(Hyperlink, AFailedOpenKeepsTheColourAndShowsNothing)
{
    ASSERT_TRUE(m_recorder.SetCommand(L"C:\\no\\such\\browser.exe %1"));
    Enter();
    Click();
    EXPECT_EQ(m_setup.WaitForOtherWindow(nullptr, nullptr, 3000), nullptr) << "a failed open must not show anything";
    Leave();
    EXPECT_TRUE(ShowsOnly(kBlue));
}

TEST_F(Hyperlink, TheKeyboardMenuOpensBesideTheLinkAndCopyShortcutCopiesTheAddressNotTheText)
{
    // Someone else's data first: the copy must not leave it beside the address.
    const UINT stale = RegisterClipboardFormatW(L"QssStaleFormat");
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(stale, GlobalAlloc(GMEM_MOVEABLE, 4));
    CloseClipboard();
    SendMessageW(m_link, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Our web site"));

    HWND menu = OpenMenu(MAKELPARAM(-1, -1));
    ASSERT_NE(menu, nullptr);
    RECT where;
    GetWindowRect(menu, &where);
    POINT origin = {0, 0};
    ClientToScreen(m_link, &origin);
    EXPECT_EQ(where.left, origin.x + 5);
    EXPECT_EQ(where.top, origin.y + 5);
    // "Copy Shor&tcut": its mnemonic reaches the command.
    UiDriver::PressKey('T');
    std::wstring copied;
    EXPECT_TRUE(UiDriver::WaitFor(
        [&] {
            if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(nullptr))
                return false;
            if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
                copied = static_cast<const wchar_t*>(GlobalLock(data));
                GlobalUnlock(data);
            }
            CloseClipboard();
            return true;
        },
        5000));
    EXPECT_EQ(copied, MAKER_URL);
    EXPECT_FALSE(IsClipboardFormatAvailable(stale));
}

TEST_F(Hyperlink, PropertiesShowTheTextAndAddressWithOkAndCancelOnly)
{
    ASSERT_NE(OpenMenu(MAKELPARAM(-1, -1)), nullptr);
    // "P&roperties...": its mnemonic reaches the command.
    UiDriver::PressKey('R');
    HWND sheet = m_setup.WaitForOtherWindow(L"#32770", L"Properties", 10000);
    ASSERT_NE(sheet, nullptr);
    EXPECT_FALSE(IsWindowEnabled(m_setup.Sheet())) << "the Setup sheet waits for the properties";
    HWND tabs = FindWindowExW(sheet, nullptr, WC_TABCONTROLW, nullptr);
    ASSERT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(UiDriver::TabText(tabs, 0), L"General");
    HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    EXPECT_EQ(UiDriver::WindowText(GetDlgItem(page, IDC_LINK_TEXT)), UiDriver::WindowText(m_link));
    EXPECT_EQ(UiDriver::WindowText(GetDlgItem(page, IDC_LINK_URL)), MAKER_URL);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(sheet, IDOK)) && IsWindowVisible(GetDlgItem(sheet, IDCANCEL)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet, SetupSession::kApplyButton)));
    RECT rect;
    GetWindowRect(sheet, &rect);
    UiDriver::SaveScreenshot(rect, L"link-properties.bmp");
    UiDriver::ClickButton(sheet, IDCANCEL);
    EXPECT_TRUE(UiDriver::WaitFor([sheet] { return !IsWindow(sheet); }, 5000));
    EXPECT_TRUE(m_setup.Close(IDCANCEL));
}

}
