// The link's menu and properties page under a French user interface: this program runs with
// LANG=fr_FR.UTF-8, and the Setup sheet runs in it.
#include "res/resource.h"
#include "tests/driver/SetupSession.h"
#include "tests/driver/UiDriver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

TEST(HyperlinkInFrench, ThePlatformPicksTheFrenchMenuAndPage)
{
    SetupSession setup;
    ASSERT_TRUE(setup.Open() && setup.ShowPage(IDD_ABOUT_PAGE));
    HWND link = setup.Item(IDC_WEB_LINK);
    PostMessageW(link, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(link), MAKELPARAM(-1, -1));
    ASSERT_NE(setup.WaitForOtherWindow(L"#32768", nullptr, 5000), nullptr);
    // "&Propri\u00E9t\u00E9s...": P is only a key of the French menu.
    UiDriver::PressKey('P');
    HWND sheet = setup.WaitForOtherWindow(L"#32770", nullptr, 10000);
    ASSERT_NE(sheet, nullptr);
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    EXPECT_EQ(UiDriver::WindowText(GetDlgItem(page, IDC_LINK_ADDRESS_LABEL)), L"Adresse (URL):");
    UiDriver::SaveScreenshot(sheet, L"link-properties-fr.ppm");
}
