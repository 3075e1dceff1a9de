// Each start-up mode's wiring, end to end: the built program under Wine, watched through its windows.
// The command line's parsing itself is pinned by the unit tests.
#include "res/resource.h"
#include "tests/driver/SetupSession.h"
#include "tests/driver/UiDriver.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>

namespace {

const wchar_t* const kAppDefaults = L"Software\\Wine\\AppDefaults\\QuorvaneSaver.scr";

std::wstring SaverCommand(const std::wstring& arguments)
{
    return UiDriver::Quoted(UiDriver::PathFromEnvironment("QSS_SCR")) + L" " + arguments;
}

// Starts the saver, expects one message box from it, closes it with OK, and checks a clean end.
void ExpectMessageBox(const std::wstring& arguments, const std::wstring& expectedText, bool handIcon)
{
    TestProcess saver;
    ASSERT_TRUE(saver.Start(SaverCommand(arguments)));
    HWND box = saver.WaitForWindow(L"#32770", L"QuorvaneSaver", SetupSession::kTimeout);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(UiDriver::WindowText(GetDlgItem(box, 0xFFFF)), expectedText);
    // Wine keeps an icon control in every box, empty unless an icon was asked for. The hand is the
    // red one: the exclamation is yellow, the asterisk and the question blue.
    Sleep(300);
    RECT icon;
    GetWindowRect(GetDlgItem(box, 0x0440), &icon);
    const std::vector<COLORREF> pixels = UiDriver::CaptureScreen({icon.left, icon.top, icon.left + 32, icon.top + 32});
    const auto red = std::count_if(pixels.begin(), pixels.end(), [](COLORREF c) {
        return GetRValue(c) > 160 && GetGValue(c) < 90 && GetBValue(c) < 90;
    });
    EXPECT_EQ(red > 200, handIcon) << red << " red pixels";
    EXPECT_TRUE(saver.IsRunning()) << "the program must wait for the box to close";
    UiDriver::ClickButton(box, IDOK);
    DWORD code = 99;
    ASSERT_TRUE(saver.WaitForExit(SetupSession::kTimeout, &code));
    EXPECT_EQ(code, 0u);
}

TEST(Startup, ConfigurationShowsTheSetupSheetWithoutOwnerOnItsDisplayTabAndEndsWithIt)
{
    SetupSession setup;
    ASSERT_TRUE(setup.Open(L"/c:1234"));
    EXPECT_EQ(GetWindow(setup.Sheet(), GW_OWNER), nullptr);
    EXPECT_NE(setup.Item(IDC_COUNT_COMBO), nullptr) << "not on the Display tab";
    EXPECT_TRUE(setup.Close(IDCANCEL));
}

TEST(Startup, PreviewWithoutAUsableParentEndsCleanly)
{
    TestProcess saver;
    DWORD code = 99;
    ASSERT_TRUE(saver.Start(SaverCommand(L"/p 99999999")) && saver.WaitForExit(SetupSession::kTimeout, &code));
    EXPECT_EQ(code, 0u);
}

TEST(Startup, RefusedBeforeWindows2000WhateverTheSwitchAndAnUnknownSwitchShowsTheWholeLine)
{
    const std::wstring sorry = L"Sorry! This software requieres Windows 2000 or later.", unknown = L"/a \"two words\"";
    const struct {
        const wchar_t* version;
        std::wstring arguments, text;
    } starts[] = {{L"win98", L"/s", sorry}, {L"nt40", L"/c", sorry}, {L"win2k", unknown, SaverCommand(unknown)}};
    for (const auto& start : starts) {
        SCOPED_TRACE(std::string(start.version, start.version + lstrlenW(start.version)));
        SHSetValueW(HKEY_CURRENT_USER, kAppDefaults, L"Version", REG_SZ, start.version,
                    (lstrlenW(start.version) + 1) * sizeof(wchar_t));
        ExpectMessageBox(start.arguments, start.text, start.text == sorry);
    }
    SHDeleteKeyW(HKEY_CURRENT_USER, kAppDefaults);
}

} // namespace
