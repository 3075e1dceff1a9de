// The saver's windows end to end: the built program under Wine, read from the screen.
#include "tests/driver/TestProcess.h"
#include "tests/config/ConfigDriver.h"
#include "display/AnimationLayout.h"
#include "settings/CRegistryKey.h"
#include "settings/CSaverSettings.h"
#include "tests/driver/UiDriver.h"
#include "ProbeService.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

const wchar_t* const kSettingsKey = L"Software\\Zentrix\\ScreenSaver\\Quorvane Screen Saver";
const DWORD kTimeout = 20000;

std::wstring SaverCommand(const std::wstring& arguments)
{
    return UiDriver::Quoted(UiDriver::PathFromEnvironment("QSS_SCR")) + L" " + arguments;
}

HWND TopWindowOf(const TestProcess& process)
{
    return process.WaitForWindow(nullptr, nullptr, kTimeout);
}

// The intro picture as the program's own resources hold it, drawn the way the window draws it.
std::vector<COLORREF> IntroFromResources(int* width, int* height)
{
    std::vector<COLORREF> pixels;
    HMODULE saver = LoadLibraryExW(UiDriver::PathFromEnvironment("QSS_SCR").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!saver)
        return pixels;
    HANDLE picture = LoadImageW(saver, MAKEINTRESOURCEW(131), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    BITMAP info = {};
    GetObjectW(picture, sizeof(info), &info);
    *width = info.bmWidth;
    *height = info.bmHeight;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, picture);
    for (int y = 0; y < info.bmHeight; ++y)
        for (int x = 0; x < info.bmWidth; ++x)
            pixels.push_back(GetPixel(memory, x, y));
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DeleteObject(picture);
    FreeLibrary(saver);
    return pixels;
}

RECT Screen()
{
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

std::set<COLORREF> ColoursOnScreen()
{
    const std::vector<COLORREF> pixels = UiDriver::CaptureScreen(Screen());
    return std::set<COLORREF>(pixels.begin(), pixels.end());
}

// Black and the four default state colours: all the animation ever shows.
const std::set<COLORREF> kAnimationColours = {RGB(0, 0, 0), 0x0000FF00, 0x000000FF, 0x00007FFB, 0x00FF0000};

// Height of a line in the default font, measured as the saver measures its lines.
int LineHeight()
{
    const CSaverSettings defaults;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, CreateFontIndirectW(&defaults.LogFont));
    SIZE size = {};
    GetTextExtentPoint32W(dc, L"A", 1, &size);
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
    return size.cy;
}

// Marks the rows of a captured area that show anything but black.
void MarkLitRows(const std::vector<COLORREF>& pixels, int width, std::vector<bool>& rows)
{
    for (size_t i = 0; i < pixels.size(); ++i)
        if (pixels[i] != RGB(0, 0, 0))
            rows[i / static_cast<size_t>(width)] = true;
}

// Lit pixel rows against the layout: how many rows show a line, and the first lit pixel row outside
// every row (-1 if none). Counting runs of lit pixel rows would not do: the first slice of a line
// entering the screen (a '%', a '-') lights rows with gaps between them.
std::pair<int, int> RowsWithLines(const std::vector<bool>& lit, int clientHeight, int rowCount)
{
    const int height = LineHeight();
    const int gap = AnimationLayout::RowGap(clientHeight, rowCount, height);
    std::set<int> shown;
    int outside = -1;
    for (int y = 0; y < clientHeight; ++y) {
        if (!lit[static_cast<size_t>(y)])
            continue;
        int row = rowCount - 1;
        while (row >= 0 && !(y >= AnimationLayout::RowTop(row, gap, height) &&
                             y < AnimationLayout::RowTop(row, gap, height) + height))
            --row;
        if (row >= 0)
            shown.insert(row);
        else if (outside < 0)
            outside = y;
    }
    return {static_cast<int>(shown.size()), outside};
}

// Waits until the intro has been shown (already, if `shown`) and cleared: a loaded machine fires its
// timer late. Lines may already cross where it was, but they light no more than a tenth of its area.
bool WaitForIntroEnd(bool shown = false)
{
    const POINT origin = AnimationLayout::IntroOrigin(Screen().right, Screen().bottom, 281, 364);
    const size_t area = 281 * 364;
    for (int i = 0; i < 150; ++i, Sleep(100)) {
        const std::vector<COLORREF> pixels =
            UiDriver::CaptureScreen(RECT{origin.x, origin.y, origin.x + 281, origin.y + 364});
        const bool dark = static_cast<size_t>(std::count(pixels.begin(), pixels.end(), RGB(0, 0, 0))) > area * 9 / 10;
        if (shown && dark)
            return true;
        shown = shown || !dark;
    }
    return false;
}

// Waits until the screen shows the colour (true) or until it no longer does (false).
bool WaitForColour(COLORREF colour, bool shown, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 250) {
        if ((ColoursOnScreen().count(colour) != 0) == shown)
            return true;
        Sleep(250);
    }
    return false;
}

// After the intro a running service's line comes on screen, and every pixel is black or a state colour.
void ExpectSoundAnimation(TestProcess& saver, bool introSeen = false)
{
    ASSERT_TRUE(WaitForIntroEnd(introSeen));
    EXPECT_TRUE(WaitForColour(0x0000FF00, true, 15000)) << "no running service's line came on screen";
    for (COLORREF c : ColoursOnScreen())
        EXPECT_TRUE(kAnimationColours.count(c)) << std::hex << "pixel colour " << c << " is no state colour";
    EXPECT_TRUE(saver.IsRunning());
}

class SaverWindow : public ::testing::Test {
protected:
    void SetUp() override { SHDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey); }
    void TearDown() override { SHDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey); }

    static void SetCount(DWORD count) { SetRaw(L"ServicesCount", REG_DWORD, &count, 4); }

    // A settings value of any type and size, as a hand-edited registry may hold it.
    static void SetRaw(LPCWSTR name, DWORD type, const void* data, DWORD size)
    {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  0);
        RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }

    static void SaveLocalPairs(const std::vector<std::wstring>& names)
    {
        const std::wstring computer = ConfigDriver::ComputerName();
        CStringArray servers, services;
        for (const std::wstring& name : names) {
            servers.Add(computer.c_str());
            services.Add(name.c_str());
        }
        CRegistryKey key;
        ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, kSettingsKey, KEY_WRITE));
        key.WriteStringList(L"SavedServices", services);
        key.WriteStringList(L"SavedServers", servers);
    }

    // Runs the saver full screen on the running probe alone, until its intro is over.
    static void WatchOnlyThisProbe(ProbeService& probe, TestProcess& saver)
    {
        ASSERT_TRUE(probe.Installed());
        ASSERT_TRUE(probe.Start());
        SaveLocalPairs({probe.Name()});
        ASSERT_NE(StartFullScreen(saver), nullptr);
        ASSERT_TRUE(WaitForIntroEnd());  // the intro's logo carries the state colours too
    }

    // Starts full screen and waits for its window.
    static HWND StartFullScreen(TestProcess& saver)
    {
        if (!saver.Start(SaverCommand(L"/s")))
            return nullptr;
        return TopWindowOf(saver);
    }

    // Installs and starts probes of distinct names; they are removed with the fixture.
    void StartProbes(const std::wstring& prefix, int count, std::vector<std::wstring>* names = nullptr)
    {
        for (int i = 0; i < count; ++i) {
            const std::wstring name = prefix + std::to_wstring(i);
            m_probes.push_back(std::make_unique<ProbeService>(name, prefix + L" " + std::to_wstring(i)));
            ASSERT_TRUE(m_probes.back()->Installed());
            ASSERT_TRUE(m_probes.back()->Start());
            if (names)
                names->push_back(name);
        }
    }

    static void ExpectEndsWithin(TestProcess& saver, DWORD ms)
    {
        DWORD code = 99;
        ASSERT_TRUE(saver.WaitForExit(ms, &code)) << "the saver did not end";
        EXPECT_EQ(code, 0u);
    }

    std::vector<std::unique_ptr<ProbeService>> m_probes;
};

TEST_F(SaverWindow, FullScreenShowsTheIntroThenLinesInExactStateColours)
{
    TestProcess saver;
    HWND window = StartFullScreen(saver);
    ASSERT_NE(window, nullptr);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

    const DWORD found = GetTickCount();
    int width = 0, height = 0;
    const std::vector<COLORREF> expected = IntroFromResources(&width, &height);
    ASSERT_EQ(width, 281);
    ASSERT_EQ(height, 364);
    // (372, 202) at 1024 x 768; the suite runs this case on other screen sizes too. A loaded machine
    // paints late, so look until it shows, within the 3 s before the first line timer clears it.
    const POINT origin = AnimationLayout::IntroOrigin(Screen().right, Screen().bottom, width, height);
    const RECT intro = {origin.x, origin.y, origin.x + width, origin.y + height};
    int differing = width * height;
    while (differing != 0 && GetTickCount() - found < 3000) {
        const std::vector<COLORREF> shown = UiDriver::CaptureScreen(intro);
        differing = 0;
        for (size_t i = 0; i < shown.size(); ++i)
            differing += shown[i] != expected[i];
        Sleep(100);
    }
    EXPECT_EQ(differing, 0) << "the intro is not at (" << origin.x << ", " << origin.y << ")";

    // Lines start up to 1000 pixels off-screen and move 100 pixels a second.
    ExpectSoundAnimation(saver, true);
}

// Bounding box of the pixels of one colour on the whole screen (empty when there are none).
RECT ColourBounds(COLORREF colour)
{
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const std::vector<COLORREF> pixels = UiDriver::CaptureScreen(RECT{0, 0, width, height});
    RECT box = {width, height, -1, -1};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (pixels[static_cast<size_t>(y * width + x)] == colour) {
                box.left = x < box.left ? x : box.left;
                box.top = y < box.top ? y : box.top;
                box.right = x + 1 > box.right ? x + 1 : box.right;
                box.bottom = y + 1 > box.bottom ? y + 1 : box.bottom;
            }
    return box;
}

TEST_F(SaverWindow, AServiceStoppedWhileShownTurnsRedAtTheNextRefresh)
{
    ProbeService probe(L"QvShownProbe", L"Shown Probe");
    TestProcess saver;
    ASSERT_NO_FATAL_FAILURE(WatchOnlyThisProbe(probe, saver));
    ASSERT_TRUE(WaitForColour(0x0000FF00, true, 20000)) << "the running probe's line never showed green";
    ASSERT_TRUE(probe.Control(SERVICE_CONTROL_STOP, SERVICE_STOPPED));
    // A refresh comes every hundred frames, about once a second.
    EXPECT_TRUE(WaitForColour(0x000000FF, true, 5000)) << "the stopped probe's line never turned red";
    // The stopped line is shorter: nothing of the longer running line may stay beside it.
    Sleep(100);
    const RECT green = ColourBounds(0x0000FF00);
    EXPECT_GE(green.left, green.right) << "green left at " << green.left << ".." << green.right;
}

TEST_F(SaverWindow, ALineGlidesWholeAndLeavesNoTrail)
{
    ProbeService probe(L"QvGlideProbe", L"Glide Probe");
    TestProcess saver;
    ASSERT_NO_FATAL_FAILURE(WatchOnlyThisProbe(probe, saver));
    const int width = GetSystemMetrics(SM_CXSCREEN);
    bool seenWhole = false;
    for (int attempt = 0; attempt < 80 && !seenWhole; ++attempt) {
        const RECT before = ColourBounds(0x0000FF00);
        Sleep(300);
        const RECT after = ColourBounds(0x0000FF00);
        // A margin keeps a line that is still entering or leaving out of the comparison.
        auto inside = [width](const RECT& r) { return r.right > 0 && r.left > 30 && r.right < width - 30; };
        if (!inside(before) || !inside(after))
            continue;
        seenWhole = true;
        // Same size after moving: nothing was left behind and nothing cut off.
        EXPECT_EQ(after.right - after.left, before.right - before.left);
        EXPECT_EQ(after.top, before.top);
        EXPECT_EQ(after.bottom, before.bottom);
        EXPECT_NE(after.left, before.left) << "the line did not move";
    }
    EXPECT_TRUE(seenWhole) << "the line was never wholly on screen";
}

TEST_F(SaverWindow, ZeroRowsLeavesTheScreenBlackAfterTheIntro)
{
    SetCount(0);
    TestProcess saver;
    ASSERT_NE(StartFullScreen(saver), nullptr);
    ASSERT_TRUE(WaitForIntroEnd());
    Sleep(2000);
    EXPECT_EQ(ColoursOnScreen(), std::set<COLORREF>{RGB(0, 0, 0)});
}

TEST_F(SaverWindow, FirstMouseMoveOnlyRecordsAndAOnePixelMoveEnds)
{
    UiDriver::MoveMouseTo(500, 400);
    TestProcess saver;
    HWND window = StartFullScreen(saver);
    ASSERT_NE(window, nullptr);
    Sleep(1500);
    // The system's own move under a still pointer, and releases and the wheel, change nothing.
    PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(500, 400));
    PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(500, 400));
    PostMessageW(window, WM_KEYUP, 'A', 0xC0000001);
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(500, 400));
    PostMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(500, 400));
    PostMessageW(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    Sleep(1500);
    ASSERT_TRUE(saver.IsRunning());
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof(cursor);
    ASSERT_TRUE(GetCursorInfo(&cursor));
    EXPECT_EQ(cursor.hCursor, nullptr) << "the pointer shows over the saver";
    UiDriver::MoveMouseTo(501, 400);
    ExpectEndsWithin(saver, 5000);
}

TEST_F(SaverWindow, AnyKeyOrButtonEndsTheSaver)
{
    for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
        TestProcess saver;
        HWND window = StartFullScreen(saver);
        ASSERT_NE(window, nullptr);
        Sleep(500);
        PostMessageW(window, message, message == WM_KEYDOWN || message == WM_SYSKEYDOWN ? VK_F4 : 0, 0);
        ExpectEndsWithin(saver, 5000);
    }
    TestProcess saver;
    ASSERT_NE(StartFullScreen(saver), nullptr);
    Sleep(800);
    UiDriver::PressKey(VK_SPACE);
    ExpectEndsWithin(saver, 5000);
}

TEST_F(SaverWindow, SwitchingToAnotherWindowEndsTheSaver)
{
    TestProcess saver;
    HWND window = StartFullScreen(saver);
    ASSERT_NE(window, nullptr);
    Sleep(800);
    HWND other = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    ExpectEndsWithin(saver, 5000);
    DestroyWindow(other);
}

TEST_F(SaverWindow, PreviewFillsItsHostAndEndsWithIt)
{
    HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 600, 500, 152, 112, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    TestProcess saver;
    ASSERT_TRUE(saver.Start(SaverCommand(L"/p " + std::to_wstring(reinterpret_cast<UINT_PTR>(host)))));
    HWND child = nullptr;
    for (int i = 0; i < 400 && !child; ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        child = GetWindow(host, GW_CHILD);
        Sleep(25);
    }
    ASSERT_NE(child, nullptr);
    RECT hostClient, childRect;
    GetClientRect(host, &hostClient);
    GetClientRect(child, &childRect);
    EXPECT_EQ(childRect.right, hostClient.right);
    EXPECT_EQ(childRect.bottom, hostClient.bottom);
    // The child shows once the host has answered the messages its creation sends.
    for (int i = 0; i < 100 && !IsWindowVisible(child); ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        Sleep(20);
    }
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_TRUE(saver.IsRunning());
    DestroyWindow(host);
    ExpectEndsWithin(saver, 10000);
}

TEST_F(SaverWindow, FiveRowsOverThreeServicesShowThree)
{
    std::vector<std::wstring> names;
    ASSERT_NO_FATAL_FAILURE(StartProbes(L"QvThreeRows", 3, &names));
    SaveLocalPairs(names);
    SetCount(5);
    TestProcess saver;
    ASSERT_NE(StartFullScreen(saver), nullptr);
    ASSERT_TRUE(WaitForIntroEnd());
    const RECT screen = Screen();
    std::vector<bool> lit(static_cast<size_t>(screen.bottom));
    // A line enters within 10 s at full speed (it starts up to 1000 px off-screen, at 100 px/s), but
    // a loaded machine draws fewer frames: wait by the clock for all three rows, then 2 s more.
    const DWORD start = GetTickCount();
    DWORD limit = 60000;
    while (GetTickCount() - start < limit) {
        MarkLitRows(UiDriver::CaptureScreen(screen), screen.right, lit);
        if (limit == 60000 && RowsWithLines(lit, screen.bottom, 3).first == 3)
            limit = GetTickCount() - start + 2000;
        Sleep(250);
    }
    const std::pair<int, int> rows = RowsWithLines(lit, screen.bottom, 3);
    EXPECT_EQ(rows.first, 3) << "rows showing a line";
    EXPECT_EQ(rows.second, -1) << "the first pixel row lit outside every line row";
}

TEST_F(SaverWindow, ALineThatLeftIsReplacedInItsRow)
{
    ProbeService probe(L"QvReplacedProbe", L"Replaced Probe");
    TestProcess saver;
    ASSERT_NO_FATAL_FAILURE(WatchOnlyThisProbe(probe, saver));
    // At 100 px/s: up to 10 s to enter, about 15 s to cross with its own width, up to 10 s for the next.
    bool seen = false, gone = false, again = false;
    int direction = 0, lastCentre = 0;
    const int height = LineHeight();
    const int top = AnimationLayout::RowTop(0, AnimationLayout::RowGap(Screen().bottom, 1, height), height);
    for (int i = 0; i < 180 && !again; ++i, Sleep(250)) {
        const RECT box = ColourBounds(0x0000FF00);
        const int centre = box.left + box.right;
        if (box.right <= 0) {
            gone = gone || seen;
            continue;
        }
        EXPECT_GE(box.top, top) << "a line outside the one row";
        EXPECT_LE(box.bottom, top + height) << "a line outside the one row";
        // One line only moves on; gone from the screen or moving back, it has been replaced.
        if (gone || (direction != 0 && (centre - lastCentre) * direction < 0))
            again = true;
        else if (seen)
            direction = centre > lastCentre ? 1 : -1;
        seen = true;
        lastCentre = centre;
    }
    EXPECT_TRUE(seen) << "no line entered";
    EXPECT_TRUE(again) << "no line came back after the first one left";
}

TEST_F(SaverWindow, GdiObjectsDoNotGrowOverAMinute)
{
    ASSERT_NO_FATAL_FAILURE(StartProbes(L"QvGdiProbe", 6));
    SetCount(20);  // nothing saved: every active local service, the probes among them
    TestProcess saver;
    ASSERT_NE(StartFullScreen(saver), nullptr);
    Sleep(10000);
    const int early = UiDriver::GdiObjectCount(saver.Id());
    Sleep(50000);
    const int late = UiDriver::GdiObjectCount(saver.Id());
    ASSERT_GT(early, 0) << "the saver's GDI handle table could not be read";
    // A frame's window DC or a repaint's picture may exist at the moment of reading.
    EXPECT_LE(late, early + 4) << "GDI objects at 10 s: " << early << ", at 60 s: " << late;
    EXPECT_TRUE(saver.IsRunning());
}

// ---- Hostile settings and many services: the saver still animates soundly and writes nothing.

// Every value of the settings key, with its type and bytes.
std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>> StoredValues()
{
    std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>> values;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    wchar_t name[256];
    std::vector<BYTE> data(4 * 1024 * 1024);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 256, type = 0, size = static_cast<DWORD>(data.size());
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
            break;
        values[name] = {type, std::vector<BYTE>(data.begin(), data.begin() + size)};
    }
    RegCloseKey(key);
    return values;
}

class HostileInput : public SaverWindow {
protected:
    // Runs the saver full screen on the key as it stands, then ends it with a key; the key is unchanged.
    void ExpectAnimatesAndLeavesTheKeyAlone()
    {
        const auto before = StoredValues();
        TestProcess saver;
        ASSERT_NE(StartFullScreen(saver), nullptr);
        ASSERT_NO_FATAL_FAILURE(ExpectSoundAnimation(saver));
        UiDriver::PressKey(VK_SPACE);
        ExpectEndsWithin(saver, 10000);
        EXPECT_TRUE(StoredValues() == before) << "the saver changed its settings key";
    }
};

TEST_F(HostileInput, EveryValueOfTheWrongTypeOrSize)
{
    std::vector<std::wstring> names;
    ASSERT_NO_FATAL_FAILURE(StartProbes(L"QvWrongTypes", 1, &names));
    const wchar_t green[] = L"green";
    const BYTE two[] = {1, 2};
    const ULONGLONG eight = 0x00FF00FF00FF00FFull;
    const BYTE garbage[10] = {0xFF, 0xFE, 0, 0, 0x41, 0, 0x42, 0, 0xFF, 0xFF};
    SetRaw(L"RunningColor", REG_SZ, green, sizeof(green));
    SetRaw(L"StoppedColor", REG_BINARY, two, sizeof(two));
    SetRaw(L"PausedColor", REG_QWORD, &eight, sizeof(eight));
    SetRaw(L"OtherColor", REG_DWORD, two, 2);
    SetRaw(L"ServicesCount", REG_SZ, green, sizeof(green));
    SetRaw(L"LogFont", REG_BINARY, garbage, sizeof(garbage));
    // The lists as a single string, and as bytes with no terminator and an odd last byte.
    const std::wstring computer = ConfigDriver::ComputerName();
    SetRaw(L"SavedServers", REG_SZ, computer.c_str(), static_cast<DWORD>((computer.size() + 1) * sizeof(wchar_t)));
    std::vector<BYTE> service(names[0].size() * sizeof(wchar_t) + 1, 0x41);
    memcpy(service.data(), names[0].data(), names[0].size() * sizeof(wchar_t));
    SetRaw(L"SavedServices", REG_BINARY, service.data(), static_cast<DWORD>(service.size()));
    ExpectAnimatesAndLeavesTheKeyAlone();
}

TEST_F(HostileInput, AFontFaceThatDoesNotExist)
{
    LOGFONTW font;
    CSaverSettings::SetDefaultFont(font);
    lstrcpynW(font.lfFaceName, L"Qv No Such Face", LF_FACESIZE);
    SetRaw(L"LogFont", REG_BINARY, &font, sizeof(font));
    ExpectAnimatesAndLeavesTheKeyAlone();
}

TEST_F(HostileInput, TwoThousandSavedPairsHalfOfThemMissing)
{
    std::vector<std::wstring> names;
    ASSERT_NO_FATAL_FAILURE(StartProbes(L"QvManyPairs", 1, &names));
    std::vector<std::wstring> pairs;
    for (int i = 0; i < 1000; ++i) {
        pairs.push_back(names[0]);
        pairs.push_back(L"QvNoSuchService" + std::to_wstring(i));
    }
    SaveLocalPairs(pairs);
    SetCount(20);
    ExpectAnimatesAndLeavesTheKeyAlone();
}

TEST_F(HostileInput, FiveHundredActiveServicesOnTheComputer)
{
    const DWORD active = static_cast<DWORD>(ConfigDriver::LocalServices(SERVICE_WIN32, SERVICE_ACTIVE).size());
    ASSERT_GT(active, 0u);
    // One probe process hosts them all, as a shared service host would.
    std::vector<std::wstring> hosted;
    for (DWORD i = active; i < 500; ++i)
        hosted.push_back(L"QvCrowd" + std::to_wstring(i));
    for (const std::wstring& name : hosted) {
        m_probes.push_back(std::make_unique<ProbeService>(name, L"Crowd " + name, SERVICE_WIN32_SHARE_PROCESS, hosted));
        ASSERT_TRUE(m_probes.back()->Installed());
        ASSERT_TRUE(m_probes.back()->Start());
    }
    SetCount(20);  // nothing saved: all 500
    ExpectAnimatesAndLeavesTheKeyAlone();
}

}
