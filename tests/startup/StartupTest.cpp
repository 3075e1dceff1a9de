// Each start-up mode's wiring, end to end: the built program under Wine, watched through its windows.
// The command line's parsing itself is pinned by the unit tests.
#include "res/resource.h"
#include "tests/driver/TestProcess.h"
#include "tests/driver/TestRegistry.h"
#include "tests/driver/UiDriver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

const wchar_t* const kAppDefaults = L"Software\\Wine\\AppDefaults\\QuorvaneSaver.scr";
const DWORD kTimeout = 20000;

TEST(Startup, ConfigurationShowsTheSetupSheetWithoutOwnerOnItsDisplayTabAndPreviewWithoutAUsableParentEndsCleanly)
{
    TestProcess saver;
    ASSERT_TRUE(saver.Start(TestProcess::SaverCommand(L"/c:1234")));
    HWND sheet = saver.WaitForWindow(L"#32770", L"Setup", kTimeout);
    EXPECT_EQ(GetWindow(sheet, GW_OWNER), nullptr);
    EXPECT_NE(GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), IDC_COUNT_COMBO), nullptr) << "not on the Display tab";
    UiDriver::PostButtonClick(sheet, IDCANCEL);
    EXPECT_TRUE(saver.EndsCleanly(kTimeout));
    ASSERT_TRUE(saver.Start(TestProcess::SaverCommand(L"/p 99999999")));
    EXPECT_TRUE(saver.EndsCleanly(kTimeout));
}

TEST(Startup, FullScreenShowsTheIntroAndAKeyEndsIt)
{
    TestProcess saver;
    ASSERT_TRUE(saver.Start(TestProcess::SaverCommand(L"/s")));
    // The intro in the middle of the screen, however slowly an emulated program comes up.
    EXPECT_TRUE(UiDriver::WaitFor([] { return UiDriver::IntroDifference() == 0; }, 90000, 100));
    UiDriver::PressKey(VK_SPACE);
    EXPECT_TRUE(saver.EndsCleanly(60000));
}

// One start under each emulated system version; the 32-bit stage picks its rows by name.
struct VersionStart {
    const char* version;
    const wchar_t* arguments;
    bool refused;
};

class Version : public ::testing::TestWithParam<VersionStart> {};

TEST_P(Version, RefusedBeforeWindows2000WhateverTheSwitchElseAnUnknownSwitchShowsTheWholeLine)
{
    const VersionStart& start = GetParam();
    const std::wstring version(start.version, start.version + strlen(start.version));
    TestRegistry::Set(L"Version", REG_SZ, version.c_str(), (version.size() + 1) * sizeof(wchar_t), kAppDefaults);
    // One message box, closed with OK, and a clean end.
    TestProcess saver;
    ASSERT_TRUE(saver.Start(TestProcess::SaverCommand(start.arguments)));
    HWND box = saver.WaitForWindow(L"#32770", L"QuorvaneSaver", kTimeout);
    TestRegistry::DeleteSettings(kAppDefaults);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(UiDriver::WindowText(GetDlgItem(box, 0xFFFF)),
              start.refused ? L"Sorry! This software requieres Windows 2000 or later." : TestProcess::SaverCommand(start.arguments));
    // Wine keeps an icon control in every box, empty unless an icon was asked for. The hand is the red one: the
    // exclamation is yellow, the asterisk and the question blue. Counted once the box's face shows there: the
    // screen is black where nothing was drawn.
    RECT icon;
    GetWindowRect(GetDlgItem(box, 0x0440), &icon);
    long red = 0;
    const auto drawn = [&] {
        const auto pixels = UiDriver::CaptureScreen({icon.left, icon.top, icon.left + 32, icon.top + 32});
        red = std::count_if(pixels.begin(), pixels.end(), [](COLORREF c) {
            return GetRValue(c) > 160 && GetGValue(c) < 90 && GetBValue(c) < 90;
        });
        return std::count(pixels.begin(), pixels.end(), GetSysColor(COLOR_3DFACE)) > 0 && (red > 200) == start.refused;
    };
    EXPECT_TRUE(UiDriver::WaitFor(drawn, kTimeout)) << red << " red pixels";
    EXPECT_TRUE(saver.IsRunning()) << "the program must wait for the box to close";
    UiDriver::PostButtonClick(box, IDOK);
    EXPECT_TRUE(saver.EndsCleanly(kTimeout));
}

INSTANTIATE_TEST_SUITE_P(Startup, Version,
                         ::testing::Values(VersionStart{"win98", L"/s", true}, VersionStart{"nt40", L"/c", true},
                                           VersionStart{"win2k", L"/a \"two words\"", false}),
                         [](const ::testing::TestParamInfo<VersionStart>& info) { return info.param.version; });

} // namespace
