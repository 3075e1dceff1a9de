// The saver's windows end to end: the built program under Wine, read from the screen.
#include "LocalMachine.h"
#include "ProbeService.h"
#include "app/CSaverFrameWnd.h"
#include "app/MonitorLayout.h"
#include "settings/CSaverSettings.h"
#include "tests/driver/TestProcess.h"
#include "tests/driver/TestRegistry.h"
#include "tests/driver/UiDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

using UiDriver::WaitFor;
const COLORREF kBlack = RGB(0, 0, 0);
// Running services show in green unless the settings hold another colour.
const COLORREF kDefaultRunning = RGB(0, 255, 0);

RECT Screen()
{
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

std::set<COLORREF> Colours(const RECT& area)
{
    const std::vector<COLORREF> pixels = UiDriver::CaptureScreen(area);
    return std::set<COLORREF>(pixels.begin(), pixels.end());
}

// Bounding box of the screen's pixels of one colour, or with except of every other (right < 0 when there are none).
RECT Bounds(const std::vector<COLORREF>& pixels, COLORREF colour, bool except = false)
{
    const int width = Screen().right;
    RECT box = {width, Screen().bottom, -1, -1};
    for (size_t i = 0; i < pixels.size(); ++i)
        if ((pixels[i] == colour) != except) {
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

// The full-screen frame with its rows in view.
class InspectedFrame : public CSaverFrameWnd {
public:
    size_t Rows() const { return m_displayed.size(); }
    int LineHeight() const { return m_lineHeight; }
    // Where the first row's line is drawn, with its font.
    HDC LineDC() const { return m_displayed.at(0)->m_memDC; }
};

class SaverWindow : public ::testing::Test {
protected:
    void SetUp() override { TestRegistry::DeleteSettings(); }
    void TearDown() override { TestRegistry::DeleteSettings(); }

    HWND StartFullScreen(TestProcess& saver)
    {
        // A Wine start and the list's build (2 000 saved pairs in the first case): 4 s on an idle machine here, past
        // 20 s on a busy one.
        return saver.Start(TestProcess::SaverCommand(L"/s")) ? saver.WaitForWindow(nullptr, nullptr, 60000) : nullptr;
    }

    // Waits while this thread's windows get their messages; a close a frame here asks for is only recorded.
    bool WaitPumping(const std::function<bool()>& done, DWORD ms)
    {
        return UiDriver::WaitPumping(done, ms, WM_CLOSE, &m_closeRequested);
    }

    // Waits until the intro has shown and gone; a loaded machine fires its timer late.
    bool WaitForIntroEnd(POINT at = UiDriver::IntroAt())
    {
        return WaitPumping([at] { return UiDriver::IntroDifference(at) == 0; }, 15000) &&
               WaitPumping([at] { return UiDriver::IntroDifference(at) != 0; }, 15000);
    }

    // Installs a probe (removed with the fixture) and saves it as a pair of this computer.
    ProbeService& AddProbe(const std::wstring& name, const std::wstring& display)
    {
        m_names.push_back(name);
        TestRegistry::SaveLists(std::vector<std::wstring>(m_names.size(), LocalMachine::Name()), m_names);
        return m_probes.emplace_back(name, display);
    }

    std::deque<ProbeService> m_probes;
    std::vector<std::wstring> m_names;
    bool m_closeRequested = false;
};

TEST_F(SaverWindow, TheIntroGivesWayToAsManyRowsAsThereAreServicesWhateverTheSettingsHold)
{
    for (const wchar_t* name : {L"QvRowsA", L"QvRowsB", L"QvRowsC"})
        ASSERT_TRUE(AddProbe(name, name).Start());
    // A face no system has, and 2 000 saved pairs, all but the last three naming no service: the default colour
    // and count stand in (five rows, more than there are services), and the saver writes nothing back.
    LOGFONTW font;
    CSaverSettings::SetDefaultFont(font);
    lstrcpynW(font.lfFaceName, L"Qv No Such Face", LF_FACESIZE);
    TestRegistry::Set(L"LogFont", REG_BINARY, &font, sizeof(font));
    // The servers as a string value, the services as bytes with no closing NUL and an odd last byte.
    std::wstring servers, services;
    for (int i = 0; i < 2000; ++i) {
        servers += LocalMachine::Name() + L'\0';
        services += (i < 1997 ? L"QvNoSuchService" + std::to_wstring(i) : m_names[i - 1997]) + L'\0';
    }
    TestRegistry::Set(L"SavedServers", REG_SZ, TestRegistry::Units(servers + L'\0'));
    TestRegistry::Set(L"SavedServices", REG_BINARY, TestRegistry::Units(services, 1));
    const auto stored = TestRegistry::AllValues();

    UiDriver::MoveMouseTo(300, 200);
    TestProcess saver;
    HWND window = StartFullScreen(saver);
    ASSERT_NE(window, nullptr);
    RECT rect;
    GetWindowRect(window, &rect);
    const RECT screen = Screen();
    EXPECT_TRUE(EqualRect(&rect, &screen)) << "the frame covers the primary screen";
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(WaitFor([] { return UiDriver::IntroDifference() == 0; }, 3000, 100)) << "no intro at the middle";
    ASSERT_TRUE(WaitForIntroEnd());
    // Every line enters within 10 s at full speed; a loaded machine draws fewer frames. Wait for three
    // bands of even height (a line's first slice is thinner); the row count itself is read in-process.
    std::vector<bool> lit(static_cast<size_t>(Screen().bottom));
    std::set<COLORREF> colours;
    // Each row crosses the sides of the intro's place, which any repaint draws again, as it should.
    const POINT intro = UiDriver::IntroAt();
    const RECT sides[] = {{0, 0, intro.x, Screen().bottom},
                          {intro.x + UiDriver::Intro().size.cx, 0, Screen().right, Screen().bottom}};
    auto mark = [&] {
        for (const RECT& side : sides) {
            const std::vector<COLORREF> pixels = UiDriver::CaptureScreen(side);
            for (size_t i = 0; i < pixels.size(); ++i)
                if (pixels[i] != kBlack) {
                    lit[i / static_cast<size_t>(side.right - side.left)] = true;
                    colours.insert(pixels[i]);
                }
        }
        return Bands(lit) >= 3 && std::count(lit.begin(), lit.end(), true) >= 3 * 18;
    };
    EXPECT_TRUE(WaitFor(mark, 60000, 250));
    EXPECT_EQ(Bands(lit), 3) << "bands of rows that showed a line";
    EXPECT_EQ(colours, std::set<COLORREF>{kDefaultRunning}) << "running services' lines in other colours";
    // The pointer hides over the saver; a move of it, and no move the system reports, ends the saver.
    CURSORINFO cursor = {sizeof(cursor), 0, nullptr, {}};
    EXPECT_TRUE(GetCursorInfo(&cursor) && cursor.hCursor == nullptr) << "the pointer shows over the saver";
    ASSERT_TRUE(saver.IsRunning());
    UiDriver::MoveMouseTo(320, 220);
    EXPECT_TRUE(saver.EndsCleanly(10000));
    EXPECT_TRUE(TestRegistry::AllValues() == stored) << "the saver changed its settings";
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

    TestProcess saver;
    HWND window = StartFullScreen(saver);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitForIntroEnd());

    // The widest each colour's line was seen wholly on screen, how it moved, and the band it kept. A
    // trail left behind would keep a line from ever showing whole.
    const int width = Screen().right;
    int widest[4] = {0, 0, 0, 0};
    RECT last[4] = {};
    bool replaced = false;
    WaitFor(
        [&] {
            const std::vector<COLORREF> pixels = UiDriver::CaptureScreen(Screen());
            for (int i = 0; i < 4; ++i) {
                const RECT box = Bounds(pixels, colours[i]);
                if (box.right < 0)
                    continue;
                if (box.left > 2 && box.right < width - 2)
                    widest[i] = std::max<int>(widest[i], box.right - box.left);
                // A line that left comes back into its own row, from the start of its way.
                if (last[i].right > 0 && std::abs(box.left - last[i].left) > 200) {
                    replaced = true;
                    EXPECT_NEAR(box.top, last[i].top, 20) << "a line came back in another row";
                }
                last[i] = box;
            }
            return replaced && std::count(std::begin(widest), std::end(widest), 0) == 0;
        },
        60000, 200);
    EXPECT_TRUE(replaced) << "no line left and came back";
    EXPECT_TRUE(widest[0] > 0 && widest[0] < widest[1] && widest[1] < widest[2] && widest[2] < widest[3])
        << "stopped " << widest[0] << ", running " << widest[1] << ", paused " << widest[2] << ", other " << widest[3];

    // A repaint during the animation draws the intro again (most of the picture is black: count the rest).
    const auto& picture = UiDriver::Intro().pixels;
    const auto introLit = std::count_if(picture.begin(), picture.end(), [](COLORREF c) { return c != kBlack; });
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    // The repaint of another process's window may land after RedrawWindow returns.
    EXPECT_TRUE(WaitFor([&] { return UiDriver::IntroDifference() < introLit / 5; }, 2000, 20))
        << "the intro was not drawn again";

    // Stopped while shown: its row turns the stopped colour at the next refresh, and nothing of the
    // longer running line stays beside the shorter one.
    RECT row = {};
    const auto runningWhole = [&] {
        row = Bounds(UiDriver::CaptureScreen(Screen()), colours[1]);
        return row.left > 2 && row.right < width - 2;
    };
    ASSERT_TRUE(WaitFor(runningWhole, 30000, 100));
    ASSERT_TRUE(running.Control(SERVICE_CONTROL_STOP, SERVICE_STOPPED));
    const auto rowStopped = [&] { return Colours({0, row.top, width, row.bottom}).count(colours[0]) > 0; };
    // The next refresh comes within 100 frames, a second at full speed; 20 s leave room for a machine that draws
    // a tenth of its frames.
    EXPECT_TRUE(WaitFor(rowStopped, 20000, 50)) << "the stopped service's line did not turn the stopped colour";
    EXPECT_TRUE(WaitFor([&] { return Bounds(UiDriver::CaptureScreen(Screen()), colours[1]).right < 0; }, 2000, 50))
        << "a part of the running line stayed";

    // Another window taking the foreground ends the saver.
    HWND other = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    SetForegroundWindow(other);
    EXPECT_TRUE(saver.EndsCleanly(5000));
    DestroyWindow(other);
}

TEST_F(SaverWindow,
       RowsAreAtMostTheServicesLinesAndIntroKeepTheirSizeAtAnyDpiAndKeysButtonsAndMovesAskTheFrameToClose)
{
    // Three saved services give three rows of the five configured, so all three opened (the unit tests pin the
    // count's other cases), and the frame takes every input in turn. (The system's requests are checked in the
    // framework's tests.)
    for (const wchar_t* name : {L"QvRowsA", L"QvRowsB", L"QvRowsC"})
        ASSERT_TRUE(AddProbe(name, name).Installed());
    // 96 DPI in the suite's prefix, 144 and 192 in the 150 % and 200 % runs of the screen sizes.
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    // The system's own monitor list on the suite's one-monitor screens: the primary, and nothing to cover.
    const MonitorLayout monitors = SystemMonitorLayout();
    const RECT whole = Screen();
    EXPECT_TRUE(EqualRect(&monitors.primary, &whole) && monitors.others.empty()) << monitors.others.size();
    POINT still;
    GetCursorPos(&still);
    auto* frame = new InspectedFrame();
    ASSERT_TRUE(frame->CreateFullScreen());
    EXPECT_EQ(frame->Rows(), 3u);
    // At 96 DPI the default font has a character height of 21 pixels and a line of 23.
    TEXTMETRICW font = {};
    GetTextMetricsW(frame->LineDC(), &font);
    EXPECT_EQ(font.tmHeight - font.tmInternalLeading, MulDiv(21, dpi, 96));
    EXPECT_NEAR(frame->LineHeight(), MulDiv(23, dpi, 96), 2);
    // The intro's lit part is 194 by 321 pixels at 96 DPI; nothing else shows before it ends.
    RECT intro = {};
    ASSERT_TRUE(WaitPumping(
        [&] { return (intro = Bounds(UiDriver::CaptureScreen(Screen()), kBlack, true)).right >= 0; }, 5000));
    EXPECT_NEAR(intro.right - intro.left, MulDiv(194, dpi, 96), 2);
    EXPECT_NEAR(intro.bottom - intro.top, MulDiv(321, dpi, 96), 2);
    // Each picture holds at most 256 colours; only one scaled by averaging its pixels, not dropping some, shows more.
    EXPECT_EQ(Colours(intro).size() > 256, dpi % 96 != 0) << Colours(intro).size() << " colours at " << dpi << " DPI";
    const HWND window = frame->GetSafeHwnd();
    // The input and how far from where the pointer stands; a move of one pixel (which SendInput rounds away under
    // Wine) is a move.
    // clang-format off
    const struct { UINT message; WPARAM wParam; int dx, dy; bool closes; } inputs[] = {
        {WM_MOUSEMOVE, 0, 0, 0, false}, {WM_MOUSEMOVE, 0, 0, 0, false}, {WM_KEYUP, 'A', 0, 0, false},
        {WM_LBUTTONUP, 0, 0, 0, false}, {WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0, 0, false},
        {WM_MOUSEMOVE, 0, 1, 0, true}, {WM_MOUSEMOVE, 0, 0, 1, true}, {WM_KEYDOWN, 'A', 0, 0, true},
        {WM_SYSKEYDOWN, VK_F4, 0, 0, true}, {WM_LBUTTONDOWN, 0, 0, 0, true}, {WM_RBUTTONDOWN, 0, 0, 0, true},
        {WM_MBUTTONDOWN, 0, 0, 0, true}};
    // clang-format on
    for (const auto& input : inputs) {
        PostMessageW(window, input.message, input.wParam, MAKELPARAM(still.x + input.dx, still.y + input.dy));
        EXPECT_EQ(UiDriver::PumpMessages(), input.closes) << std::hex << input.message << " " << input.dx << input.dy;
    }
    DestroyWindow(window);
    UiDriver::PumpMessages();
}

TEST_F(SaverWindow, PreviewFillsItsHostAndEndsWithIt)
{
    HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 600, 500, 152, 112, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    TestProcess saver;
    ASSERT_TRUE(saver.Start(TestProcess::SaverCommand(L"/p " + std::to_wstring(reinterpret_cast<UINT_PTR>(host)))));
    // The child shows once the host has answered the messages its creation sends.
    HWND child = nullptr;
    EXPECT_TRUE(WaitPumping([&] { return (child = GetWindow(host, GW_CHILD)) != nullptr && IsWindowVisible(child); },
                            10000));
    RECT hostClient = {}, childRect = {};
    GetClientRect(host, &hostClient);
    GetClientRect(child, &childRect);
    EXPECT_TRUE(EqualRect(&childRect, &hostClient));
    EXPECT_TRUE(saver.IsRunning());
    DestroyWindow(host);
    EXPECT_TRUE(saver.EndsCleanly(10000));
}

TEST_F(SaverWindow, ASecondMonitorIsCoveredInBlackAndItsInputEndsTheSaver)
{
    if (Screen().right < 1824)
        GTEST_SKIP() << "runs on the wide screen of the screen-size runs";
    // Two monitors, 1024x768 at (0, 0) and 800x600 at (1024, 0), which Wine can only show on one wide screen.
    const RECT primary = {0, 0, 1024, 768}, second = {1024, 0, 1824, 600};
    auto secondBlack = [&] { return Colours(second) == std::set<COLORREF>{kBlack}; };
    // A window in the dialog colour lies under the cover, so that only the cover makes the second monitor black.
    const HWND under = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 1024, 0, 800, 600, nullptr, nullptr,
                                       nullptr, nullptr);
    ASSERT_TRUE(WaitPumping([&] { return !secondBlack(); }, 5000)) << "the second monitor is black before the cover";
    UiDriver::MoveMouseTo(1400, 300);
    CurrentMonitorLister() = [] { return MonitorLayout{{0, 0, 1024, 768}, {{1024, 0, 1824, 600}}}; };
    auto* frame = new InspectedFrame();
    const bool created = frame->CreateFullScreen();
    CurrentMonitorLister() = &SystemMonitorLayout;
    ASSERT_TRUE(created);
    // The window at a point of each monitor: the frame on the first, its cover on the second.
    RECT rect;
    GetWindowRect(WindowFromPoint({100, 100}), &rect);
    EXPECT_TRUE(EqualRect(&rect, &primary));
    GetWindowRect(WindowFromPoint({1400, 300}), &rect);
    EXPECT_TRUE(EqualRect(&rect, &second));
    const POINT intro = UiDriver::IntroAt(1024, 768);
    EXPECT_TRUE(WaitPumping([&] { return UiDriver::IntroDifference(intro) == 0; }, 3000)) << "no intro";
    EXPECT_TRUE(secondBlack());
    EXPECT_EQ(GetForegroundWindow(), frame->GetSafeHwnd()) << "the cover took the activation";
    // Each window hides the pointer when the system asks it for one, as it does at every move over it.
    for (const POINT at : {POINT{100, 100}, POINT{1400, 300}}) {
        const HWND window = WindowFromPoint(at);
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        SendMessageW(window, WM_SETCURSOR, WPARAM(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), nullptr) << "the pointer shows at " << at.x << ", " << at.y;
    }
    EXPECT_TRUE(WaitForIntroEnd(intro));
    EXPECT_TRUE(WaitPumping([&] { return Colours(primary).count(kDefaultRunning); }, 20000))
        << "no line on the primary monitor";
    EXPECT_TRUE(secondBlack());
    EXPECT_FALSE(m_closeRequested) << "the move under a still pointer ended the saver";
    // A button where the pointer stands on the cover, then a move on it: each ends the saver.
    UiDriver::ClickMouseAt(1400, 300);
    EXPECT_TRUE(WaitPumping([&] { return m_closeRequested; }, 5000)) << "the button on the cover did not end the saver";
    m_closeRequested = false;
    UiDriver::MoveMouseTo(1420, 320);
    EXPECT_TRUE(WaitPumping([&] { return m_closeRequested; }, 5000)) << "the move on the cover did not end the saver";
    DestroyWindow(frame->GetSafeHwnd());
    DestroyWindow(under);
    UiDriver::PumpMessages();
}

} // namespace
