// The drawing window in this process, animating while the platform refuses a share of the monitor's calls
// and the watched services change state under it, one of them removed while its line is shown.
#include "ProbeService.h"
#include "display/CMonitorWnd.h"
#include "tests/driver/TestRegistry.h"
#include "tests/driver/UiDriver.h"
#include "tests/monitor/FakeServiceApi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <utility>

namespace {

using Call = FakeServiceApi::Call;

constexpr int kProbes = 12;
constexpr DWORD kRows = 10;
// The window's animation timer; timer 1 only ends the intro.
constexpr UINT_PTR kFrameTimer = 2;
// A window that stops drawing for this long has hung; a loaded machine stays far below it.
constexpr DWORD kHangMs = 2000;
// Between the early and the late sample no GDI object should stay: every service keeps its memory DC
// and every row one font and one bitmap, so the count holds while the rows stay filled; 4 leaves room
// for what Wine caches of its own (fonts, device contexts). A leak per frame, per line or per repaint
// adds far more.
constexpr int kGdiSlack = 4;
constexpr int kRepaints = 50;

// One refresh of one service as the calls it made show it, and the values its line had before.
struct Refresh {
    const CMonitoredService *service = nullptr;
    CString state;
    DWORD memory = 0;
    float cpu = 0;
    bool restart = false; // the line was just given a row
    bool statusFailed = false;
    bool measureFailed = false; // the process not opened or its memory not read
    bool timesFailed = false;
    bool sampled = false; // its process times were read
};

// The drawing window under a seeded share of failing calls: each frame timed, and each refresh checked
// once the next one begins (a frame's last one at the next frame, the values unchanged in between).
class FaultedMonitorWnd : public CMonitorWnd {
public:
    explicit FaultedMonitorWnd(const FakeServiceApi &fake) : CMonitorWnd(FALSE), m_fake(fake) {}

    // The fake's fault hook: a failed call reports a withdrawn right. Closes always pass: a failed close
    // leaves the caller nothing to do, and would only leak the real handle behind it.
    DWORD Fault(Call call, HANDLE handle)
    {
        const bool failed = call != Call::CloseServiceHandle && call != Call::CloseHandle && m_fails(m_random);
        if (call == Call::QueryServiceStatusEx) {
            Finish();
            // A refreshing frame first asks every row in turn; any query after those is for a line given a row.
            const bool restart = m_queries++ >= m_rowRefreshes;
            const std::wstring &name = m_fake.openServices.at(static_cast<SC_HANDLE>(handle));
            for (int i = 0; i < m_services.GetSize(); ++i) {
                const CMonitoredService *service = m_services.GetAt(i);
                if (service->GetServiceName() == name.c_str())
                    m_refresh = {service, service->m_statusText, service->m_memory, service->m_cpu, restart, failed};
            }
        } else if (call == Call::OpenProcess || call == Call::GetProcessMemoryInfo) {
            m_refresh.measureFailed |= failed;
        } else if (call == Call::GetProcessTimes) {
            (failed ? m_refresh.timesFailed : m_refresh.sampled) = true;
        }
        return failed ? ERROR_ACCESS_DENIED : 0;
    }
    const std::vector<CMonitoredService *> &Displayed() const { return m_displayed; }

    DWORD longestGapMs = 0;
    // The checks that ran, each on a refresh that met its case.
    std::set<std::string> exercised;

protected:
    void OnTimer(UINT_PTR id) override
    {
        if (id == kFrameTimer) {
            const DWORD now = GetTickCount();
            longestGapMs = std::max(longestGapMs, m_lastFrame == 0 ? 0 : now - m_lastFrame);
            m_lastFrame = now;
            Finish();
            // A refreshing frame asks every row; a row left out would keep showing a stale state.
            EXPECT_GE(m_queries, m_rowRefreshes) << "a refreshing frame left rows unasked";
            m_queries = 0;
            m_rowRefreshes = m_tick == 0 ? m_displayed.size() : 0;
        }
        CMonitorWnd::OnTimer(id);
    }

private:
    // A failed call changes none of the values that depend on it, and the first share taken after a line
    // is given a row is 0, even when the measurement of that moment failed.
    void Finish()
    {
        const Refresh was = std::exchange(m_refresh, Refresh{});
        const CMonitoredService *service = was.service;
        if (service == nullptr)
            return;
        if (was.restart)
            m_restartPending.insert(service);
        if (was.sampled && m_restartPending.erase(service) != 0)
            Expect(service->m_cpu == 0.0f, was, "first share after a row was given");
        Expect(service->m_cpu >= 0 && service->m_cpu <= 100, was, "share within 0..100");
        if (was.statusFailed)
            Expect(service->m_statusText == was.state && service->m_memory == was.memory && service->m_cpu == was.cpu,
                   was, "status unread");
        else if (was.measureFailed)
            Expect(service->m_memory == was.memory && service->m_cpu == was.cpu, was, "process unread");
        else if (was.timesFailed)
            Expect(service->m_cpu == was.cpu, was, "times unread");
    }

    // Fails the run once for each kind of check that does not hold.
    void Expect(bool holds, const Refresh &was, const char *what)
    {
        exercised.insert(what);
        if (!holds && m_failed.insert(what).second)
            ADD_FAILURE() << static_cast<LPCWSTR>(was.service->GetServiceName()) << ": " << what << ", yet "
                          << static_cast<LPCWSTR>(was.state) << " Mem:" << was.memory << " CPU:" << was.cpu
                          << " became " << static_cast<LPCWSTR>(was.service->m_statusText)
                          << " Mem:" << was.service->m_memory << " CPU:" << was.service->m_cpu;
    }

    const FakeServiceApi &m_fake;
    std::mt19937 m_random{20240611};
    std::bernoulli_distribution m_fails{0.15};
    Refresh m_refresh;
    size_t m_queries = 0;
    size_t m_rowRefreshes = 0;
    DWORD m_lastFrame = 0;
    std::set<const CMonitoredService *> m_restartPending;
    std::set<std::string> m_failed;
};

TEST(MonitorWndFault, FailingCallsAndFlappingServicesNeitherHangNorLeakNorGarbleTheLines)
{
    TestRegistry::DeleteSettings();
    std::vector<std::unique_ptr<ProbeService>> probes;
    std::vector<std::wstring> names;
    for (int i = 0; i < kProbes; ++i) {
        names.push_back(L"QvFault" + std::to_wstring(i));
        probes.push_back(
            std::make_unique<ProbeService>(names.back(), L"Quorvane flapping probe " + std::to_wstring(i)));
        ASSERT_TRUE(probes.back()->Start()) << "probe " << i << " did not start";
    }
    TestRegistry::SaveLists(std::vector<std::wstring>(names.size(), TestRegistry::ComputerName()), names);
    EXPECT_TRUE(TestRegistry::SetDword(L"ServicesCount", kRows));

    // A thread of its own pauses, continues, stops and starts a probe at a time, and removes the one it is given.
    std::atomic<bool> stop{false}, removed{false};
    std::atomic<ProbeService *> doomed{nullptr};
    std::thread flapper([&] {
        std::mt19937 random(1109);
        while (!stop) {
            if (ProbeService *probe = doomed.exchange(nullptr))
                removed = probe->Remove();
            ProbeService &probe = *probes[random() % probes.size()];
            // Pausing and continuing are cheap; a stop and the start after it cost a process each.
            const DWORD state = probe.Status().dwCurrentState;
            if (state == SERVICE_STOPPED)
                probe.Start();
            else if ((state == SERVICE_RUNNING || state == SERVICE_PAUSED) && random() % 4 == 0)
                probe.Control(SERVICE_CONTROL_STOP, SERVICE_STOPPED);
            else if (state == SERVICE_RUNNING)
                probe.Control(SERVICE_CONTROL_PAUSE, SERVICE_PAUSED);
            else if (state == SERVICE_PAUSED)
                probe.Control(SERVICE_CONTROL_CONTINUE, SERVICE_RUNNING);
            Sleep(100);
        }
    });

    FakeServiceApi fake;
    FaultedMonitorWnd window(fake);
    fake.fault = [&window](Call call, HANDLE handle) { return window.Fault(call, handle); };
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    EXPECT_TRUE(window.Create(WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, screen, nullptr, 0));
    // Hands the window its messages: a wait that never ends early.
    const auto pumped = [] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        return false;
    };
    // QSS_FAULT_SECONDS lengthens the run on demand.
    const char *seconds = std::getenv("QSS_FAULT_SECONDS");
    const DWORD runMs = (seconds != nullptr && std::atoi(seconds) > 0 ? std::atoi(seconds) : 40) * 1000;
    UiDriver::WaitFor(pumped, runMs / 4, 5);
    const int gdiEarly = UiDriver::GdiObjectCount(GetCurrentProcessId());
    // Every repaint draws the intro again.
    for (int i = 0; i < kRepaints; ++i)
        RedrawWindow(window.GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    UiDriver::WaitFor(pumped, runMs / 4, 5);
    // A removed service's line stays on screen with its last values until it leaves.
    for (size_t i = 0; i < probes.size() && !window.Displayed().empty(); ++i)
        if (window.Displayed().front()->GetServiceName() == names[i].c_str())
            doomed = probes[i].get();
    UiDriver::WaitFor(pumped, runMs / 2, 5);
    stop = true;
    flapper.join();
    const int gdiLate = UiDriver::GdiObjectCount(GetCurrentProcessId());
    window.DestroyWindow();
    TestRegistry::DeleteSettings();

    EXPECT_LT(window.longestGapMs, kHangMs) << "the window stopped drawing";
    // The run only says something if every kind of failure happened on screen.
    EXPECT_EQ(window.exercised, (std::set<std::string>{"first share after a row was given", "share within 0..100",
                                                       "status unread", "process unread", "times unread"}));
    EXPECT_TRUE(removed) << "no service was removed while shown";
    ASSERT_GE(gdiEarly, 0) << "the process's GDI objects could not be counted";
    EXPECT_LE(gdiLate, gdiEarly + kGdiSlack);
    // Every service and process handle the monitor was given, on failing paths too, went back.
    EXPECT_TRUE(fake.openProcesses.empty()) << fake.openProcesses.size() << " process handles left open";
    EXPECT_TRUE(fake.openServices.empty()) << fake.openServices.size() << " service handles left open";
}

} // namespace
