// Each start-up mode's wiring, end to end: the built program under Wine, watched through its windows.
// The command line's parsing itself is pinned by the unit tests.
#include "res/resource.h"
#include "tests/driver/SetupSession.h"
#include "tests/driver/TestProcess.h"
#include "tests/driver/UiDriver.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

namespace {

const DWORD kTimeout = 20000;
const wchar_t* const kAppDefaults = L"Software\\Wine\\AppDefaults\\QuorvaneSaver.scr";

std::wstring SaverCommand(const std::wstring& arguments)
{
    return UiDriver::Quoted(UiDriver::PathFromEnvironment("QSS_SCR")) + L" " + arguments;
}

// How many pixels of the shown icon differ from a system icon drawn over the same background.
int IconDifference(HWND iconControl, LPCWSTR systemIcon)
{
    RECT area;
    GetWindowRect(iconControl, &area);
    const std::vector<COLORREF> shown = UiDriver::CaptureScreen({area.left, area.top, area.left + 32, area.top + 32});
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HBRUSH background = CreateSolidBrush(shown[0]);
    const RECT whole = {0, 0, 32, 32};
    FillRect(memory, &whole, background);
    DrawIconEx(memory, 0, 0, LoadIconW(nullptr, systemIcon), 32, 32, 0, nullptr, DI_NORMAL);
    int differences = 0;
    for (int i = 0; i < 32 * 32; ++i)
        differences += GetPixel(memory, i % 32, i / 32) != shown[static_cast<size_t>(i)];
    SelectObject(memory, old);
    DeleteObject(background);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return differences;
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(UiDriver::PathFromEnvironment("QSS_SCR").empty()); }
    void TearDown() override { SHDeleteKeyW(HKEY_CURRENT_USER, kAppDefaults); }

    static void EmulateWindows(LPCWSTR version)
    {
        SHSetValueW(HKEY_CURRENT_USER, kAppDefaults, L"Version", REG_SZ, version,
                    static_cast<DWORD>((lstrlenW(version) + 1) * sizeof(wchar_t)));
    }

    // Starts the saver, expects one message box from it, closes it with OK, and checks a clean end.
    static void ExpectMessageBox(const std::wstring& arguments, const std::wstring& expectedText, bool handIcon)
    {
        TestProcess saver;
        ASSERT_TRUE(saver.Start(SaverCommand(arguments)));
        HWND box = saver.WaitForWindow(L"#32770", L"QuorvaneSaver", kTimeout);
        ASSERT_NE(box, nullptr) << "no message box for [" << std::string(arguments.begin(), arguments.end()) << "]";
        std::wstring text;
        HWND icon = nullptr;
        for (HWND child : UiDriver::Children(box)) {
            if (UiDriver::ClassName(child) != L"Static")
                continue;
            // Wine keeps an icon control in every box; it holds an icon only when one was asked for.
            if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                icon = SendMessageW(child, STM_GETICON, 0, 0) ? child : nullptr;
            else if (GetDlgCtrlID(child) == 0xFFFF)
                text = UiDriver::WindowText(child);
        }
        EXPECT_EQ(text, expectedText);
        ASSERT_EQ(icon != nullptr, handIcon);
        if (handIcon) {
            Sleep(300); // let the box finish painting
            const int hand = IconDifference(icon, IDI_HAND);
            EXPECT_LT(hand, 20);
            EXPECT_LT(hand, IconDifference(icon, IDI_EXCLAMATION));
            EXPECT_LT(hand, IconDifference(icon, IDI_ASTERISK));
        }
        EXPECT_TRUE(saver.IsRunning()) << "the program must wait for the box to close";
        UiDriver::ClickButton(box, IDOK);
        DWORD code = 99;
        ASSERT_TRUE(saver.WaitForExit(kTimeout, &code));
        EXPECT_EQ(code, 0u);
    }
};

TEST_F(Startup, ConfigurationShowsTheSetupSheetWithoutOwnerOnItsDisplayTabAndEndsWithIt)
{
    SetupSession setup;
    ASSERT_TRUE(setup.Open(L"/c:1234"));
    EXPECT_EQ(GetWindow(setup.Sheet(), GW_OWNER), nullptr);
    EXPECT_EQ(setup.TabLabels(), (std::vector<std::wstring>{L"Display", L"Services", L"About"}));
    EXPECT_NE(setup.Item(IDC_COUNT_COMBO), nullptr) << "not on the Display tab";
    EXPECT_TRUE(setup.Close(IDCANCEL));
}

TEST_F(Startup, PreviewWithoutAUsableParentEndsCleanly)
{
    TestProcess saver;
    ASSERT_TRUE(saver.Start(SaverCommand(L"/p 99999999")));
    DWORD code = 99;
    ASSERT_TRUE(saver.WaitForExit(kTimeout, &code)) << "still running";
    EXPECT_EQ(code, 0u);
}

TEST_F(Startup, RefusedBeforeWindows2000WithTheHandAndAnUnknownSwitchShowsTheWholeLine)
{
    const wchar_t* const sorry = L"Sorry! This software requieres Windows 2000 or later.";
    EmulateWindows(L"win98");
    ExpectMessageBox(L"/s", sorry, true);
    EmulateWindows(L"nt40");
    ExpectMessageBox(L"/c", sorry, true);
    EmulateWindows(L"win2k");
    const std::wstring unknown = L"/a extra \"two words\"";
    ExpectMessageBox(unknown, SaverCommand(unknown), false);
}

}
