// The start-up modes, end to end: the built program under Wine, watched through its windows.
#include "tests/driver/TestProcess.h"
#include "tests/driver/UiDriver.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>
#include <vector>

namespace {

const DWORD kWindowTimeout = 20000;
const DWORD kExitTimeout = 20000;
const wchar_t* const kAppDefaults = L"Software\\Wine\\AppDefaults\\QuorvaneSaver.scr";

std::wstring SaverCommand(const std::wstring& arguments)
{
    std::wstring line = UiDriver::Quoted(UiDriver::PathFromEnvironment("QSS_SCR"));
    return arguments.empty() ? line : line + L" " + arguments;
}

// The box's message text, and its icon control when it shows an icon.
HWND MessageBoxContent(HWND box, std::wstring* text)
{
    HWND icon = nullptr;
    for (HWND child : UiDriver::Children(box)) {
        if (UiDriver::ClassName(child) != L"Static")
            continue;
        // Wine keeps an icon control in every box; it holds an icon only when one was asked for.
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            icon = SendMessageW(child, STM_GETICON, 0, 0) ? child : nullptr;
        else if (GetDlgCtrlID(child) == 0xFFFF)
            *text = UiDriver::WindowText(child);
    }
    return icon;
}

// How many pixels of the shown icon differ from a system icon drawn over the same background.
int IconDifference(HWND iconControl, LPCWSTR systemIcon)
{
    RECT area;
    GetWindowRect(iconControl, &area);
    area.right = area.left + 32;
    area.bottom = area.top + 32;
    const std::vector<COLORREF> shown = UiDriver::CaptureScreen(area);

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HBRUSH background = CreateSolidBrush(shown[0]);
    const RECT whole = {0, 0, 32, 32};
    FillRect(memory, &whole, background);
    DrawIconEx(memory, 0, 0, LoadIconW(nullptr, systemIcon), 32, 32, 0, nullptr, DI_NORMAL);
    int differences = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            differences += GetPixel(memory, x, y) != shown[static_cast<size_t>(y * 32 + x)];
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
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  0);
        RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       static_cast<DWORD>((lstrlenW(version) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }

    // Starts the saver, expects one message box from it, closes it with OK, and checks a clean end.
    static void ExpectMessageBox(const std::wstring& arguments, const std::wstring& expectedText, bool handIcon)
    {
        const std::wstring line = SaverCommand(arguments);
        TestProcess saver;
        ASSERT_TRUE(saver.Start(line));
        HWND box = saver.WaitForWindow(L"#32770", nullptr, kWindowTimeout);
        ASSERT_NE(box, nullptr) << "no message box for [" << std::string(arguments.begin(), arguments.end()) << "]";
        EXPECT_EQ(UiDriver::WindowText(box), L"QuorvaneSaver");
        std::wstring text;
        const HWND icon = MessageBoxContent(box, &text);
        EXPECT_EQ(text, expectedText.empty() ? line : expectedText);
        EXPECT_EQ(icon != nullptr, handIcon);
        if (handIcon) {
            Sleep(300);  // let the box finish painting
            const int hand = IconDifference(icon, IDI_HAND);
            EXPECT_LT(hand, 20);
            EXPECT_LT(hand, IconDifference(icon, IDI_EXCLAMATION));
            EXPECT_LT(hand, IconDifference(icon, IDI_ASTERISK));
        }
        EXPECT_TRUE(saver.IsRunning()) << "the program must wait for the box to close";
        UiDriver::ClickButton(box, IDOK);
        DWORD code = 99;
        ASSERT_TRUE(saver.WaitForExit(kExitTimeout, &code));
        EXPECT_EQ(code, 0u);
    }

    static void ExpectCleanEndWithoutWindow(const std::wstring& arguments)
    {
        TestProcess saver;
        ASSERT_TRUE(saver.Start(SaverCommand(arguments)));
        DWORD code = 99;
        ASSERT_TRUE(saver.WaitForExit(kExitTimeout, &code))
            << "still running with [" << std::string(arguments.begin(), arguments.end()) << "]";
        EXPECT_EQ(code, 0u);
    }
};

TEST_F(Startup, UnrecognisedSwitchesShowTheWholeCommandLine)
{
    for (const wchar_t* arguments : {L"/a", L"x", L"/", L"-", L"//s", L"\"\"", L"/a extra \"two words\""}) {
        SCOPED_TRACE(std::string(arguments, arguments + lstrlenW(arguments)));
        ExpectMessageBox(arguments, L"", false);
    }
}

TEST_F(Startup, ConfigurationShowsTheSetupSheetWithoutOwnerOnItsDisplayTabAndEndsWithIt)
{
    for (const wchar_t* arguments : {L"", L"/c", L"c:1234", L"/C:99 extra"}) {
        SCOPED_TRACE(std::string(arguments, arguments + lstrlenW(arguments)));
        TestProcess saver;
        ASSERT_TRUE(saver.Start(SaverCommand(arguments)));
        HWND sheet = saver.WaitForWindow(L"#32770", L"Setup", kWindowTimeout);
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(GetWindow(sheet, GW_OWNER), nullptr);
        HWND tab = FindWindowExW(sheet, nullptr, L"SysTabControl32", nullptr);
        ASSERT_NE(tab, nullptr);
        std::vector<std::wstring> tabs;
        const int count = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i)
            tabs.push_back(UiDriver::TabText(tab, i));
        EXPECT_EQ(tabs, (std::vector<std::wstring>{L"Display", L"Services", L"About"}));
        EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 0);
        UiDriver::ClickButton(sheet, IDCANCEL);
        DWORD code = 99;
        ASSERT_TRUE(saver.WaitForExit(kExitTimeout, &code));
        EXPECT_EQ(code, 0u);
    }
}

TEST_F(Startup, PreviewWithoutAUsableParentEndsCleanly)
{
    for (const wchar_t* arguments : {L"/p", L"/p 0", L"/p window", L"/P 99999999", L"-p -5"})
        ExpectCleanEndWithoutWindow(arguments);
}

TEST_F(Startup, OldWindowsIsRefusedWhateverTheSwitch)
{
    const wchar_t* const sorry = L"Sorry! This software requieres Windows 2000 or later.";
    EmulateWindows(L"win98");
    ExpectMessageBox(L"/s", sorry, true);
    EmulateWindows(L"nt40");
    ExpectMessageBox(L"/a", sorry, true);
    EmulateWindows(L"win2k");
    ExpectMessageBox(L"/a", L"", false);
}

}
