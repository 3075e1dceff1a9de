// The saver's windows end to end: the built program under Wine, read from the screen.
#include "ProbeService.h"
#include "settings/CSaverSettings.h"
#include "tests/driver/TestProcess.h"
#include "tests/driver/TestRegistry.h"
#include "tests/driver/UiDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using UiDriver::WaitFor;
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kDefaultColours[] = {0x0000FF00, 0x000000FF, 0x00007FFB, 0x00FF0000};
const int kIntroWidth = 281, kIntroHeight = 364;

RECT Screen()
{
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// The intro picture as the program's own resources hold it.
std::vector<COLORREF> LoadIntro()
{
    std::vector<COLORREF> pixels;
    HMODULE saver = LoadLibraryExW(UiDriver::PathFromEnvironment("QSS_SCR").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HANDLE picture = LoadImageW(saver, MAKEINTRESOURCEW(131), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    BITMAP info = {};
    GetObjectW(picture, sizeof(info), &info);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, picture);
    for (int y = 0; y < info.bmHeight; ++y)
        for (int x = 0; x < info.bmWidth; ++x)
            pixels.push_back(GetPixel(memory, x, y));
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(picture);
    FreeLibrary(saver);
    return pixels;
}

const std::vector<COLORREF>& Intro()
{
    static const std::vector<COLORREF> pixels = LoadIntro();
    return pixels;
}

// How many of the intro's pixels differ from the screen with its top-left corner at origin.
int IntroDifference(POINT origin)
{
    const std::vector<COLORREF>& expected = Intro();
    const std::vector<COLORREF> shown =
        UiDriver::CaptureScreen(RECT{origin.x, origin.y, origin.x + kIntroWidth, origin.y + kIntroHeight});
    if (expected.size() != shown.size())
        return kIntroWidth * kIntroHeight;
    int differing = 0;
    for (size_t i = 0; i < shown.size(); ++i)
        differing += shown[i] != expected[i];
    return differing;
}

// The fewest intro pixels that differ, with the picture looked for within a pixel of the middle.
int IntroDifferenceNearMiddle(POINT* found = nullptr)
{
    const RECT screen = Screen();
    int fewest = kIntroWidth * kIntroHeight;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const POINT at = {(screen.right - kIntroWidth) / 2 + dx, (screen.bottom - kIntroHeight) / 2 + dy};
            const int differing = IntroDifference(at);
            if (differing < fewest && found != nullptr)
                *found = at;
            fewest = std::min(fewest, differing);
        }
    return fewest;
}

std::vector<COLORREF> CaptureAll()
{
    return UiDriver::CaptureScreen(Screen());
}

std::set<COLORREF> Colours(const std::vector<COLORREF>& pixels)
{
    return std::set<COLORREF>(pixels.begin(), pixels.end());
}

// Bounding box of the pixels of one colour (empty when there are none).
RECT Bounds(const std::vector<COLORREF>& pixels, COLORREF colour)
{
    const int width = Screen().right;
    RECT box = {width, Screen().bottom, -1, -1};
    for (size_t i = 0; i < pixels.size(); ++i)
        if (pixels[i] == colour) {
            const int x = static_cast<int>(i % width), y = static_cast<int>(i / width);
            box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                   std::max<LONG>(box.bottom, y + 1)};
        }
    return box;
}

// Lit pixel rows grouped into bands; a gap of a few dark rows separates two bands.
int Bands(const std::vector<bool>& lit)
{
    int bands = 0, dark = 4;
    for (bool row : lit) {
        bands += row && dark >= 4;
        dark = row ? 0 : dark + 1;
    }
    return bands;
}

class SaverWindow : public ::testing::Test {
protected:
    void SetUp() override { TestRegistry::DeleteSettings(); }
    void TearDown() override { TestRegistry::DeleteSettings(); }

    HWND StartFullScreen(TestProcess& saver, const char* program = "QSS_SCR")
    {
        if (!saver.Start(UiDriver::Quoted(UiDriver::PathFromEnvironment(program)) + L" /s"))
            return nullptr;
        return saver.WaitForWindow(nullptr, nullptr, 20000);
    }

    // Waits until the intro has shown and gone; a loaded machine fires its timer late.
    static bool WaitForIntroEnd(POINT middle = {Screen().right / 2, Screen().bottom / 2})
    {
        auto introShows = [&] {
            return Colours(UiDriver::CaptureScreen(RECT{middle.x - 60, middle.y - 60, middle.x + 60, middle.y + 60}))
                       .size() > 8;
        };
        return WaitFor(introShows, 15000, 50) && WaitFor([&] { return !introShows(); }, 15000, 100);
    }

    static void ExpectEnds(TestProcess& saver, DWORD ms = 10000)
    {
        DWORD code = 99;
        ASSERT_TRUE(saver.WaitForExit(ms, &code)) << "the saver did not end";
        EXPECT_EQ(code, 0u);
    }

    // Installs a probe (removed with the fixture) and saves it as a pair of this computer.
    ProbeService& AddProbe(const std::wstring& name, const std::wstring& display)
    {
        m_probes.push_back(std::make_unique<ProbeService>(name, display));
        m_names.push_back(name);
        TestRegistry::SaveLists(std::vector<std::wstring>(m_names.size(), TestRegistry::ComputerName()), m_names);
        return *m_probes.back();
    }

    std::vector<std::unique_ptr<ProbeService>> m_probes;
    std::vector<std::wstring> m_names;
};

TEST_F(SaverWindow, TheIntroIsCentredThenGivesWayToLinesInStateColours)
{
    TestProcess saver;
    HWND window = StartFullScreen(saver);
    ASSERT_NE(window, nullptr);
    RECT rect;
    GetWindowRect(window, &rect);
    const RECT screen = Screen();
    EXPECT_TRUE(EqualRect(&rect, &screen)) << "the frame covers the primary screen";
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

    POINT intro = {-1, -1};
    EXPECT_TRUE(WaitFor([&] { return IntroDifferenceNearMiddle(&intro) == 0; }, 3000, 100))
        << "no intro at the middle";
    if (screen.right == 1024 && screen.bottom == 768) {
        EXPECT_TRUE(intro.x == 372 && intro.y == 202) << intro.x << ", " << intro.y;
    }
    ASSERT_TRUE(WaitForIntroEnd());
    EXPECT_TRUE(WaitFor([] { return Colours(CaptureAll()).count(kDefaultColours[0]) != 0; }, 20000, 250))
        << "no running service's line came on screen";
    for (COLORREF c : Colours(CaptureAll()))
        EXPECT_TRUE(c == kBlack || std::count(std::begin(kDefaultColours), std::end(kDefaultColours), c))
            << std::hex << "pixel colour " << c << " is no state colour";
    EXPECT_TRUE(saver.IsRunning());
}

TEST_F(SaverWindow, EachStateShowsInItsOwnColourAndLinesLeaveNothingBehind)
{
    // Display names make the widths of the lines ordered: stopped (short line) < running < paused <
    // starting, so a colour given to the wrong state shows as a line of the wrong width.
    ProbeService& running = AddProbe(L"QvStateRun", L"Qv Run");
    ProbeService& stopped = AddProbe(L"QvStateStop", L"Qv Stop");
    ProbeService& paused = AddProbe(L"QvStatePause", L"Qv Paused Probe ABCDEF");
    ProbeService& starting = AddProbe(L"QvStateStart", L"Qv Starting Probe Held Longer ABCDEF");
    ASSERT_TRUE(running.Start() && paused.Start() && stopped.Installed());
    ASSERT_TRUE(paused.Control(SERVICE_CONTROL_PAUSE, SERVICE_PAUSED));
    ASSERT_TRUE(starting.Start({L"hold-start=600000"}, SERVICE_START_PENDING));
    // Stopped, running, paused, other: distinct colours none of which the intro uses.
    const COLORREF colours[] = {0x00204080, 0x00208040, 0x00804020, 0x00A0A0A0};
    const LPCWSTR names[] = {L"StoppedColor", L"RunningColor", L"PausedColor", L"OtherColor"};
    for (int i = 0; i < 4; ++i)
        TestRegistry::SetDword(names[i], colours[i]);
    TestRegistry::SetDword(L"ServicesCount", 4);
    const auto stored = TestRegistry::AllValues();

    TestProcess saver;
    HWND window = StartFullScreen(saver);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitForIntroEnd());
    const int gdiEarly = UiDriver::GdiObjectCount(saver.Id()), handlesEarly = UiDriver::HandleCount(saver.Id());

    // The widest each colour's line was seen wholly on screen, how it moved, and the band it kept.
    const int width = Screen().right;
    int widest[4] = {0, 0, 0, 0};
    std::map<COLORREF, RECT> last;
    bool replaced = false;
    WaitFor(
        [&] {
            const std::vector<COLORREF> pixels = CaptureAll();
            for (COLORREF c : Colours(pixels))
                EXPECT_TRUE(c == kBlack || std::count(std::begin(colours), std::end(colours), c))
                    << std::hex << "pixel colour " << c;
            for (int i = 0; i < 4; ++i) {
                const RECT box = Bounds(pixels, colours[i]);
                if (box.right < 0)
                    continue;
                if (box.left > 2 && box.right < width - 2)
                    widest[i] = std::max<int>(widest[i], box.right - box.left);
                auto before = last.find(colours[i]);
                // A line that left comes back into its own row, from the start of its way.
                if (before != last.end() && std::abs(box.left - before->second.left) > 200) {
                    replaced = true;
                    EXPECT_NEAR(box.top, before->second.top, 20) << "a line came back in another row";
                }
                last[colours[i]] = box;
            }
            return replaced && std::count(std::begin(widest), std::end(widest), 0) == 0;
        },
        60000, 200);
    EXPECT_TRUE(replaced) << "no line left and came back";
    EXPECT_TRUE(widest[0] > 0 && widest[0] < widest[1] && widest[1] < widest[2] && widest[2] < widest[3])
        << "stopped " << widest[0] << ", running " << widest[1] << ", paused " << widest[2] << ", other "
        << widest[3];

    // A repaint during the animation draws the intro again (most of the picture is black: count the rest).
    const auto introLit = std::count_if(Intro().begin(), Intro().end(), [](COLORREF c) { return c != kBlack; });
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_LT(IntroDifferenceNearMiddle(), introLit / 5) << "the intro was not drawn again";

    // Stopped while shown: its row turns the stopped colour at the next refresh, and nothing of the
    // longer running line stays beside the shorter one.
    RECT runningRow = {};
    ASSERT_TRUE(WaitFor(
        [&] {
            runningRow = Bounds(CaptureAll(), colours[1]);
            return runningRow.left > 2 && runningRow.right < width - 2;
        },
        30000, 100));
    ASSERT_TRUE(running.Control(SERVICE_CONTROL_STOP, SERVICE_STOPPED));
    EXPECT_TRUE(WaitFor(
        [&] { return Colours(UiDriver::CaptureScreen(RECT{0, runningRow.top, width, runningRow.bottom})).count(colours[0]); },
        5000, 50))
        << "the stopped service's line did not turn the stopped colour";
    Sleep(100);
    EXPECT_LT(Bounds(CaptureAll(), colours[1]).right, 0) << "part of the running line stayed on screen";

    // Lines were replaced and redrawn meanwhile: nothing piles up.
    const int gdiLate = UiDriver::GdiObjectCount(saver.Id()), handlesLate = UiDriver::HandleCount(saver.Id());
    ASSERT_GT(gdiEarly, 0);
    ASSERT_GT(handlesEarly, 0);
    // A frame's window DC or a repaint's picture may exist at the moment of reading; a leak per frame
    // or per line would add hundreds.
    EXPECT_LE(gdiLate, gdiEarly + 4);
    EXPECT_LE(handlesLate, handlesEarly + 8);
    UiDriver::PressKey(VK_SPACE);
    ExpectEnds(saver);
    EXPECT_TRUE(TestRegistry::AllValues() == stored) << "the saver changed its settings";
}

TEST_F(SaverWindow, FewerServicesThanTheCountFillAsManyRows)
{
    for (const wchar_t* name : {L"QvRowsA", L"QvRowsB", L"QvRowsC"})
        ASSERT_TRUE(AddProbe(name, name).Start());
    TestRegistry::SetDword(L"ServicesCount", 5);
    TestProcess saver;
    ASSERT_NE(StartFullScreen(saver), nullptr);
    ASSERT_TRUE(WaitForIntroEnd());
    // Every line enters within 10 s at full speed; a loaded machine draws fewer frames. Wait for three
    // bands of even height (a line's first slice is thinner), then look 2 s more for a fourth.
    std::vector<bool> lit(static_cast<size_t>(Screen().bottom));
    auto mark = [&] {
        const std::vector<COLORREF> pixels = CaptureAll();
        for (size_t i = 0; i < pixels.size(); ++i)
            if (pixels[i] != kBlack)
                lit[i / static_cast<size_t>(Screen().right)] = true;
        return Bands(lit) >= 3 && std::count(lit.begin(), lit.end(), true) >= 3 * 18;
    };
    EXPECT_TRUE(WaitFor(mark, 60000, 250));
    const DWORD start = GetTickCount();
    WaitFor([&] { mark(); return GetTickCount() - start > 2000; }, 3000, 250);
    EXPECT_EQ(Bands(lit), 3) << "bands of rows that showed a line";
}

TEST_F(SaverWindow, ZeroRowsLeavesTheScreenBlackAfterTheIntro)
{
    TestRegistry::SetDword(L"ServicesCount", 0);
    TestProcess saver;
    ASSERT_NE(StartFullScreen(saver), nullptr);
    ASSERT_TRUE(WaitForIntroEnd());
    Sleep(2000);
    EXPECT_EQ(Colours(CaptureAll()), std::set<COLORREF>{kBlack});
}

TEST_F(SaverWindow, OnlyInputEndsTheSaver)
{
    UiDriver::MoveMouseTo(500, 400);
    TestProcess saver;
    HWND window = StartFullScreen(saver);
    ASSERT_NE(window, nullptr);
    Sleep(1500);
    // The system's own move under a still pointer, releases and the wheel. (The system's requests are
    // checked in-process: a posted SC_CLOSE does not close this window under Wine either way.)
    for (const auto& [message, wParam] : std::vector<std::pair<UINT, WPARAM>>{
             {WM_MOUSEMOVE, 0}, {WM_MOUSEMOVE, 0}, {WM_KEYUP, 'A'}, {WM_LBUTTONUP, 0},
             {WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA)}})
        PostMessageW(window, message, wParam, MAKELPARAM(500, 400));
    Sleep(1500);
    ASSERT_TRUE(saver.IsRunning());
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof(cursor);
    ASSERT_TRUE(GetCursorInfo(&cursor));
    EXPECT_EQ(cursor.hCursor, nullptr) << "the pointer shows over the saver";
    UiDriver::MoveMouseTo(501, 400);
    ExpectEnds(saver, 5000);

    // A key or button of any kind, Alt+F4, and another window taking the foreground.
    HWND other = nullptr;
    const std::vector<std::function<void(HWND)>> inputs = {
        [](HWND saver) { PostMessageW(saver, WM_KEYDOWN, 'A', 0); },
        [](HWND saver) { PostMessageW(saver, WM_SYSKEYDOWN, VK_F4, 0); },
        [](HWND saver) { PostMessageW(saver, WM_LBUTTONDOWN, 0, 0); },
        [](HWND saver) { PostMessageW(saver, WM_RBUTTONDOWN, 0, 0); },
        [](HWND saver) { PostMessageW(saver, WM_MBUTTONDOWN, 0, 0); },
        [](HWND) { UiDriver::PressKey(VK_SPACE); },
        [&other](HWND) {
            other = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                    nullptr, nullptr, nullptr);
            SetForegroundWindow(other);
        }};
    for (size_t i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE(i);
        TestProcess ended;
        window = StartFullScreen(ended);
        ASSERT_NE(window, nullptr);
        Sleep(500);
        inputs[i](window);
        ExpectEnds(ended, 5000);
    }
    DestroyWindow(other);
}

TEST_F(SaverWindow, PreviewFillsItsHostAndEndsWithIt)
{
    HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 600, 500, 152, 112, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    TestProcess saver;
    ASSERT_TRUE(saver.Start(UiDriver::Quoted(UiDriver::PathFromEnvironment("QSS_SCR")) + L" /p " +
                            std::to_wstring(reinterpret_cast<UINT_PTR>(host))));
    // The child shows once the host has answered the messages its creation sends.
    HWND child = nullptr;
    EXPECT_TRUE(WaitFor(
        [&] {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
            child = GetWindow(host, GW_CHILD);
            return child != nullptr && IsWindowVisible(child);
        },
        10000, 20));
    RECT hostClient = {}, childRect = {};
    GetClientRect(host, &hostClient);
    GetClientRect(child, &childRect);
    EXPECT_TRUE(EqualRect(&childRect, &hostClient));
    EXPECT_TRUE(saver.IsRunning());
    DestroyWindow(host);
    ExpectEnds(saver);
}

TEST_F(SaverWindow, HostileSettingsStillAnimateAndAreLeftAlone)
{
    ASSERT_TRUE(AddProbe(L"QvHostile", L"Qv Hostile").Start());
    const std::wstring computer = TestRegistry::ComputerName();
    // Every value of the wrong type or size; then a face that does not exist with 2 000 saved pairs,
    // half of them missing.
    for (int setup = 0; setup < 2; ++setup) {
        SCOPED_TRACE(setup);
        TestRegistry::DeleteSettings();
        if (setup == 0) {
            const wchar_t green[] = L"green";
            const BYTE two[] = {1, 2};
            const ULONGLONG eight = 0x00FF00FF00FF00FFull;
            const BYTE garbage[10] = {0xFF, 0xFE, 0, 0, 0x41, 0, 0x42, 0, 0xFF, 0xFF};
            TestRegistry::Set(L"RunningColor", REG_SZ, green, sizeof(green));
            TestRegistry::Set(L"StoppedColor", REG_BINARY, two, sizeof(two));
            TestRegistry::Set(L"PausedColor", REG_QWORD, &eight, sizeof(eight));
            TestRegistry::Set(L"OtherColor", REG_DWORD, two, 2);
            TestRegistry::Set(L"ServicesCount", REG_SZ, green, sizeof(green));
            TestRegistry::Set(L"LogFont", REG_BINARY, garbage, sizeof(garbage));
            // The lists as a single string, and as bytes with no terminator and an odd last byte.
            TestRegistry::Set(L"SavedServers", REG_SZ, computer.c_str(), (computer.size() + 1) * sizeof(wchar_t));
            TestRegistry::SaveRawList(L"SavedServices", m_names[0], REG_BINARY, true);
        } else {
            LOGFONTW font;
            CSaverSettings::SetDefaultFont(font);
            lstrcpynW(font.lfFaceName, L"Qv No Such Face", LF_FACESIZE);
            TestRegistry::Set(L"LogFont", REG_BINARY, &font, sizeof(font));
            std::vector<std::wstring> pairs;
            for (int i = 0; i < 1000; ++i) {
                pairs.push_back(m_names[0]);
                pairs.push_back(L"QvNoSuchService" + std::to_wstring(i));
            }
            TestRegistry::SaveLists(std::vector<std::wstring>(pairs.size(), computer), pairs);
            TestRegistry::SetDword(L"ServicesCount", 20);
        }
        const auto before = TestRegistry::AllValues();
        TestProcess saver;
        ASSERT_NE(StartFullScreen(saver), nullptr);
        ASSERT_TRUE(WaitForIntroEnd());
        EXPECT_TRUE(WaitFor([] { return Colours(CaptureAll()).count(kDefaultColours[0]) != 0; }, 20000, 250))
            << "no running line";
        for (COLORREF c : Colours(CaptureAll()))
            EXPECT_TRUE(c == kBlack || std::count(std::begin(kDefaultColours), std::end(kDefaultColours), c))
                << std::hex << c;
        UiDriver::PressKey(VK_SPACE);
        ExpectEnds(saver);
        EXPECT_TRUE(TestRegistry::AllValues() == before) << "the saver changed its settings key";
    }
}

TEST_F(SaverWindow, ASecondMonitorIsCoveredInBlackAndItsInputEndsTheSaver)
{
    // Two monitors, 1024x768 at (0, 0) and 800x600 at (1024, 0), need a screen at least that wide.
    if (Screen().right < 1824)
        GTEST_SKIP() << "runs on the wide screen of the screen-size runs";
    const RECT primary = {0, 0, 1024, 768}, second = {1024, 0, 1824, 600};
    auto secondBlack = [&] { return Colours(UiDriver::CaptureScreen(second)) == std::set<COLORREF>{kBlack}; };
    for (const bool byMove : {true, false}) {
        SCOPED_TRACE(byMove ? "a move on the second monitor" : "a key");
        UiDriver::MoveMouseTo(1400, 300);
        TestProcess saver;
        ASSERT_NE(StartFullScreen(saver, "QSS_TWO_MONITORS"), nullptr);
        // The saver's window at a point of each monitor: the frame on the first, its cover on the second.
        auto windowAt = [&](POINT point) {
            DWORD owner = 0;
            HWND window = WindowFromPoint(point);
            GetWindowThreadProcessId(window, &owner);
            return owner == saver.Id() ? window : nullptr;
        };
        HWND frame = nullptr, cover = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (frame = windowAt({100, 100})) && (cover = windowAt({1400, 300})); }, 10000));
        RECT rect;
        GetWindowRect(frame, &rect);
        EXPECT_TRUE(EqualRect(&rect, &primary));
        GetWindowRect(cover, &rect);
        EXPECT_TRUE(EqualRect(&rect, &second));
        EXPECT_TRUE(WaitFor([&] { return IntroDifference(POINT{372, 202}) == 0; }, 3000, 100)) << "no intro";
        EXPECT_TRUE(secondBlack());
        EXPECT_EQ(GetForegroundWindow(), frame) << "the cover took the activation";
        CURSORINFO cursor = {};
        cursor.cbSize = sizeof(cursor);
        EXPECT_TRUE(GetCursorInfo(&cursor) && cursor.hCursor == nullptr) << "the pointer shows on the second monitor";
        const int gdiEarly = UiDriver::GdiObjectCount(saver.Id()), handlesEarly = UiDriver::HandleCount(saver.Id());
        if (byMove) {
            ASSERT_TRUE(WaitForIntroEnd(POINT{512, 384}));
            EXPECT_TRUE(WaitFor([&] { return Colours(UiDriver::CaptureScreen(primary)).count(kDefaultColours[0]); },
                                20000, 250))
                << "no line on the primary monitor";
            EXPECT_TRUE(secondBlack());
            EXPECT_LE(UiDriver::GdiObjectCount(saver.Id()), gdiEarly + 4);
            EXPECT_LE(UiDriver::HandleCount(saver.Id()), handlesEarly + 8);
            ASSERT_TRUE(saver.IsRunning()) << "the move under a still pointer ended the saver";
            UiDriver::MoveMouseTo(1401, 300);
        } else {
            UiDriver::PressKey(VK_SPACE);
        }
        ExpectEnds(saver, 5000);
    }
}

}

