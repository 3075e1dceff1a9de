// The About page's link end to end: colours, pointer, menu, clipboard and properties.
#include "BuildSettings.h"
#include "res/resource.h"
#include "tests/driver/SetupSession.h"
#include "tests/driver/UiDriver.h"
#include "tests/driver/UrlRecorder.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kPurple = RGB(128, 0, 128);

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
        Sleep(300);
    }
    void TearDown() override
    {
        // Any menu or sheet still up goes with the program.
        m_setup.Process().Kill();
    }

    // The link's colours, read from the screen once they are settled.
    std::set<COLORREF> LinkColours() const
    {
        Sleep(250);
        const std::vector<COLORREF> pixels = UiDriver::CaptureScreen(m_rect);
        return std::set<COLORREF>(pixels.begin(), pixels.end());
    }
    bool Shows(COLORREF colour) const { return LinkColours().count(colour) != 0; }

    POINT Middle() const { return {(m_rect.left + m_rect.right) / 2, (m_rect.top + m_rect.bottom) / 2}; }
    void Enter() const
    {
        UiDriver::MoveMouseTo(Middle().x - 3, Middle().y);
        UiDriver::MoveMouseTo(Middle().x, Middle().y);
    }
    void Leave() const { UiDriver::MoveMouseTo(Middle().x, m_rect.bottom + 40); }

    static HCURSOR CurrentCursor()
    {
        CURSORINFO info = {};
        info.cbSize = sizeof(info);
        GetCursorInfo(&info);
        return info.hCursor;
    }

    // The popup menu the program shows, once it shows.
    HWND WaitForMenu() const { return m_setup.WaitForOtherWindow(L"#32768", 5000); }
    void PostToLink(UINT message, WPARAM wParam, LPARAM lParam) const { PostMessageW(m_link, message, wParam, lParam); }

    UrlRecorder m_recorder;
    SetupSession m_setup;
    HWND m_link = nullptr;
    RECT m_rect = {};
};

TEST_F(Hyperlink, BlueAtFirstRedWhileHoveredPurpleAfterAnOpenOncePerClick)
{
    EXPECT_TRUE(Shows(kBlue));
    EXPECT_FALSE(Shows(kRed));
    Enter();
    EXPECT_TRUE(Shows(kRed));
    EXPECT_FALSE(Shows(kBlue));
    Leave();
    EXPECT_TRUE(Shows(kBlue));

    Enter();
    UiDriver::ClickMouseAt(Middle().x, Middle().y);
    EXPECT_EQ(m_recorder.Recorded(1), std::string(MAKER_URL_TEXT) + "\n");
    Leave();
    EXPECT_TRUE(Shows(kPurple));
    EXPECT_FALSE(Shows(kBlue));
    EXPECT_FALSE(Shows(kRed));

    Enter();
    EXPECT_TRUE(Shows(kRed));
    UiDriver::ClickMouseAt(Middle().x, Middle().y);
    EXPECT_EQ(m_recorder.Recorded(2), std::string(MAKER_URL_TEXT) + "\n" + MAKER_URL_TEXT + "\n");
    Leave();
    EXPECT_TRUE(Shows(kPurple));
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
    Sleep(200);
    const HCURSOR hand = CurrentCursor();
    EXPECT_NE(hand, arrow);
    EXPECT_NE(hand, nullptr);
    PostToLink(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_link), MAKELPARAM(Middle().x, Middle().y));
    ASSERT_NE(WaitForMenu(), nullptr);
    UiDriver::MoveMouseTo(Middle().x - 2, Middle().y - 4);
    Sleep(200);
    EXPECT_EQ(CurrentCursor(), arrow) << "the arrow while the menu is open";
    UiDriver::PressKey(VK_ESCAPE);
}

TEST_F(Hyperlink, AFailedOpenKeepsTheColourAndShowsNothing)
{
    ASSERT_TRUE(m_recorder.SetCommand(L"C:\\no\\such\\browser.exe %1"));
    Enter();
    UiDriver::ClickMouseAt(Middle().x, Middle().y);
    Sleep(1500);
    Leave();
    EXPECT_TRUE(Shows(kBlue));
    EXPECT_FALSE(Shows(kPurple));
    EXPECT_EQ(m_setup.WaitForOtherWindow(nullptr, 500), nullptr) << "a failed open must not show anything";
}

TEST_F(Hyperlink, TheKeyboardMenuOpensBesideTheLinkAndItsKeysRunTheCommands)
{
    PostToLink(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_link), MAKELPARAM(-1, -1));
    HWND menu = WaitForMenu();
    ASSERT_NE(menu, nullptr);
    RECT where;
    GetWindowRect(menu, &where);
    POINT origin = {0, 0};
    ClientToScreen(m_link, &origin);
    EXPECT_EQ(where.left, origin.x + 5);
    EXPECT_EQ(where.top, origin.y + 5);
    // "P&roperties...": its mnemonic reaches the command.
    UiDriver::PressKey('R');
    HWND sheet = m_setup.WaitForOtherWindow(L"#32770", 10000);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(UiDriver::WindowText(sheet), L"Properties");
    UiDriver::ClickButton(sheet, IDOK);
}

TEST_F(Hyperlink, TheMenuHoldsItsCommandsInEnglishAndFrenchAndTheHandPointsWithItsTip)
{
    HMODULE saver = LoadLibraryExW(UiDriver::PathFromEnvironment("QSS_SCR").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(saver, nullptr);
    const struct {
        LANGID language;
        const wchar_t* texts[3];
    } menus[] = {{MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), {L"&Open", L"Copy Shor&tcut", L"P&roperties..."}},
                 {MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), {L"&Ouvrir", L"&Copier", L"&Propri\u00E9t\u00E9s..."}}};
    const UINT ids[3] = {ID_LINK_OPEN, ID_LINK_COPY_SHORTCUT, ID_LINK_PROPERTIES};
    for (const auto& expected : menus) {
        HRSRC found = FindResourceExW(saver, reinterpret_cast<LPCWSTR>(RT_MENU), MAKEINTRESOURCEW(IDR_LINK_MENU),
                                      expected.language);
        ASSERT_NE(found, nullptr);
        HMENU menu = LoadMenuIndirectW(LockResource(LoadResource(saver, found)));
        HMENU popup = GetSubMenu(menu, 0);
        ASSERT_EQ(GetMenuItemCount(popup), 3);
        for (int i = 0; i < 3; ++i) {
            wchar_t text[64] = {};
            GetMenuStringW(popup, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
            EXPECT_EQ(std::wstring(text), expected.texts[i]);
            EXPECT_EQ(GetMenuItemID(popup, i), ids[i]);
        }
        DestroyMenu(menu);
    }
    // The hand points with its fingertip.
    HCURSOR hand = static_cast<HCURSOR>(LoadImageW(saver, MAKEINTRESOURCEW(IDC_LINK_HAND), IMAGE_CURSOR, 0, 0, 0));
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(hand, &info));
    EXPECT_EQ(info.xHotspot, 8u);
    EXPECT_EQ(info.yHotspot, 3u);
    BITMAP mask = {};
    GetObjectW(info.hbmMask, sizeof(mask), &mask);
    EXPECT_EQ(mask.bmWidth, 32);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyCursor(hand);
    FreeLibrary(saver);
}

TEST_F(Hyperlink, CopyShortcutLeavesExactlyTheAddressAsUnicodeText)
{
    // Someone else's data first: the copy must not leave it beside the address.
    const UINT stale = RegisterClipboardFormatW(L"QssStaleFormat");
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
    SetClipboardData(stale, block);
    CloseClipboard();

    PostToLink(WM_COMMAND, ID_LINK_COPY_SHORTCUT, 0);
    std::wstring copied;
    for (int i = 0; i < 100 && copied.empty(); ++i) {
        Sleep(50);
        if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(nullptr))
            continue;
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            copied = static_cast<const wchar_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    EXPECT_EQ(copied, MAKER_URL);
    EXPECT_FALSE(IsClipboardFormatAvailable(stale));
}

TEST_F(Hyperlink, PropertiesShowTheTextAndAddressReadOnlyWithOkAndCancelOnly)
{
    PostToLink(WM_COMMAND, ID_LINK_PROPERTIES, 0);
    HWND sheet = m_setup.WaitForOtherWindow(L"#32770", 10000);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(UiDriver::WindowText(sheet), L"Properties");
    EXPECT_FALSE(IsWindowEnabled(m_setup.Sheet())) << "the Setup sheet waits for the properties";
    HWND tabs = FindWindowExW(sheet, nullptr, WC_TABCONTROLW, nullptr);
    ASSERT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(UiDriver::TabText(tabs, 0), L"General");
    HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    HWND text = GetDlgItem(page, IDC_LINK_TEXT);
    HWND url = GetDlgItem(page, IDC_LINK_URL);
    EXPECT_EQ(UiDriver::WindowText(text), UiDriver::WindowText(m_link));
    EXPECT_EQ(UiDriver::WindowText(url), MAKER_URL);
    EXPECT_EQ(UiDriver::WindowText(GetDlgItem(page, IDC_LINK_ADDRESS_LABEL)), L"Address (URL):");
    for (HWND edit : {text, url}) {
        const LONG style = GetWindowLongW(edit, GWL_STYLE);
        EXPECT_TRUE(style & ES_READONLY);
        EXPECT_TRUE(style & ES_AUTOHSCROLL) << "a long address scrolls";
        EXPECT_FALSE(style & WS_TABSTOP);
    }
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(sheet, IDOK)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(sheet, IDCANCEL)));
    HWND apply = GetDlgItem(sheet, SetupSession::kApplyButton);
    EXPECT_TRUE(apply == nullptr || !IsWindowVisible(apply));
    RECT rect;
    GetWindowRect(sheet, &rect);
    UiDriver::SaveScreenshot(rect, L"link-properties.bmp");
    UiDriver::ClickButton(sheet, IDCANCEL);
    for (int i = 0; i < 100 && IsWindow(sheet); ++i)
        Sleep(50);
    EXPECT_FALSE(IsWindow(sheet));
    EXPECT_TRUE(m_setup.Close(IDCANCEL));
}

}
