// The drawing window in this process, animating for minutes while the platform refuses a share of the
// monitor's calls and the watched services change state, vanish and come back.
#include "FaultSchedule.h"
#include "ProbeFlapper.h"
#include "WatchedMonitorWnd.h"
#include "settings/CRegistryKey.h"
#include "settings/CSaverSettings.h"
#include "tests/config/ConfigDriver.h"
#include "tests/driver/UiDriver.h"
#include "tests/monitor/FakeServiceApi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using Call = FakeServiceApi::Call;

// Fixed, and printed, so that a failing run can be repeated call for call.
constexpr unsigned kFaultSeed = 20240611;
constexpr unsigned kFlapSeed = 1109;
constexpr double kFaultShare = 0.15;
constexpr int kProbes = 24;
constexpr DWORD kRows = 20;
// A window that stops drawing for this long has hung; a loaded machine stays far below it.
constexpr double kHangMs = 2000;
// Between the early and the late sample nothing new should stay open. GDI: every service keeps its
// memory DC and every row one font and one bitmap, so the count holds while the rows stay filled;
// 4 leaves room for what Wine caches of its own (fonts, device contexts). Kernel handles:
// Wine's service calls run over pipes that it opens and caches as it likes, and the flapping thread
// holds a few while a start or a stop is under way; 16 covers both, and a leak per refresh or per
// failed call would add thousands.
constexpr int kGdiSlack = 4;
constexpr int kHandleSlack = 16;

int FaultSeconds()
{
    const char* value = std::getenv("QSS_FAULT_SECONDS");
    const int seconds = value ? std::atoi(value) : 0;
    return seconds > 0 ? seconds : 300;
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

const wchar_t* CallName(Call call)
{
    switch (call) {
    case Call::OpenSCManager:
        return L"OpenSCManager";
    case Call::EnumServicesStatus:
        return L"EnumServicesStatus";
    case Call::GetServiceDisplayName:
        return L"GetServiceDisplayName";
    case Call::GetServiceKeyName:
        return L"GetServiceKeyName";
    case Call::OpenService:
        return L"OpenService";
    case Call::QueryServiceConfig:
        return L"QueryServiceConfig";
    case Call::QueryServiceStatusEx:
        return L"QueryServiceStatusEx";
    case Call::CloseServiceHandle:
        return L"CloseServiceHandle";
    case Call::OpenProcess:
        return L"OpenProcess";
    case Call::GetProcessTimes:
        return L"GetProcessTimes";
    case Call::GetProcessMemoryInfo:
        return L"GetProcessMemoryInfo";
    case Call::CloseHandle:
        return L"CloseHandle";
    }
    return L"?";
}

// The values a service's line is drawn from.
struct Shown {
    CString state;
    DWORD memory = 0;
    float cpu = 0;
};

Shown ShownBy(const CMonitoredService& service)
{
    Shown shown;
    service.GetStatusText(shown.state);
    service.GetMemory(shown.memory);
    service.GetCpu(shown.cpu);
    return shown;
}

std::string Describe(const Shown& shown)
{
    return Narrow(std::wstring(shown.state)) + " Mem:" + std::to_string(shown.memory) +
           " CPU:" + std::to_string(shown.cpu);
}

bool IsStateText(const CString& text)
{
    for (const wchar_t* known : {L"Running", L"Stopped", L"Paused", L"Starting", L"Stopping", L"Unknown"})
        if (text == known)
            return true;
    return false;
}

// One refresh of one service as the calls it made show it: which of them failed.
struct Refresh {
    const CMonitoredService* service = nullptr;
    bool restart = false; // the service was just given a row
    bool statusFailed = false;
    bool measureFailed = false; // the process not opened or its memory not read
    bool timesFailed = false;
    bool sampled = false; // its process times were read
};

struct Samples {
    int gdi = -1;
    int handles = -1;
};

Samples Sample()
{
    return Samples{UiDriver::GdiObjectCount(GetCurrentProcessId()), UiDriver::HandleCount(GetCurrentProcessId())};
}

void Pump(DWORD ms)
{
    const DWORD start = GetTickCount();
    for (DWORD spent = 0; spent < ms; spent = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

class MonitorWndFault : public ::testing::Test {
protected:
    void SetUp() override { ConfigDriver::DeleteSettings(); }
    void TearDown() override { ConfigDriver::DeleteSettings(); }

    // Every probe as a pair of this computer, and the rows to show.
    static void SaveLocalPairs(const std::vector<std::wstring>& names, DWORD rows)
    {
        ConfigDriver::SaveLists(std::vector<std::wstring>(names.size(), ConfigDriver::ComputerName()), names);
        CRegistryKey key;
        ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, CSaverSettings::KeyPath(), KEY_WRITE));
        key.WriteDword(L"ServicesCount", rows);
    }

    // A build whose manager open was refused shows nothing, as the saver would until its next start:
    // such windows are closed and another made, each build under the same faults.
    std::unique_ptr<WatchedMonitorWnd> CreateShowingWindow()
    {
        const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        for (int attempt = 0; attempt < 10; ++attempt) {
            auto window = std::make_unique<WatchedMonitorWnd>();
            ++m_builds;
            if (!window->Create(WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, screen, nullptr, 0))
                continue;
            if (window->Services().GetSize() > 0)
                return window;
            window->DestroyWindow();
        }
        return nullptr;
    }

    // Everything shown before a frame.
    void BeforeFrame()
    {
        m_schedule.TakeEvents();
        m_rowRefreshes = m_window->FrameRefreshes() ? m_window->Displayed().size() : 0;
        m_before.clear();
        const CMonitoredList& services = m_window->Services();
        for (int i = 0; i < services.GetSize(); ++i)
            m_before[services.GetAt(i)] = ShownBy(*services.GetAt(i));
    }

    // The frame's calls, grouped by the service whose status query began them. A refreshing frame
    // first asks every row in turn; any query after those is for a line just given a row.
    std::vector<Refresh> RefreshesOfFrame()
    {
        std::map<std::wstring, const CMonitoredService*> byName;
        const CMonitoredList& services = m_window->Services();
        for (int i = 0; i < services.GetSize(); ++i)
            byName[std::wstring(services.GetAt(i)->GetServiceName())] = services.GetAt(i);
        std::vector<Refresh> refreshes;
        for (const FaultSchedule::Event& event : m_schedule.TakeEvents()) {
            if (event.call == Call::QueryServiceStatusEx) {
                Refresh refresh;
                refresh.service = byName[m_fake->NameOf(static_cast<SC_HANDLE>(event.handle))];
                refresh.statusFailed = event.error != 0;
                refresh.restart = refreshes.size() >= m_rowRefreshes;
                refreshes.push_back(refresh);
            } else if (!refreshes.empty() && event.error != 0) {
                if (event.call == Call::OpenProcess || event.call == Call::GetProcessMemoryInfo)
                    refreshes.back().measureFailed = true;
                else if (event.call == Call::GetProcessTimes)
                    refreshes.back().timesFailed = true;
            } else if (!refreshes.empty() && event.call == Call::GetProcessTimes) {
                refreshes.back().sampled = true;
            }
        }
        if (refreshes.size() < m_rowRefreshes)
            Violation("a refreshing frame asked " + std::to_string(refreshes.size()) + " of " +
                      std::to_string(m_rowRefreshes) + " rows");
        return refreshes;
    }

    // Each value a line shows is the one it had or one just read: a failed call changes none of
    // the values that depend on it. And the first share taken after a line is given a row is 0,
    // even when the measurement of that moment failed.
    void AfterFrame()
    {
        const std::vector<Refresh> refreshes = RefreshesOfFrame();
        std::map<const CMonitoredService*, int> times;
        for (const Refresh& refresh : refreshes)
            ++times[refresh.service];
        std::map<const CMonitoredService*, size_t> last;
        for (size_t i = 0; i < refreshes.size(); ++i)
            last[refreshes[i].service] = i;
        for (size_t i = 0; i < refreshes.size(); ++i) {
            const Refresh& refresh = refreshes[i];
            if (refresh.service == nullptr)
                continue;
            if (refresh.restart)
                m_restartPending.insert(refresh.service);
            // Only a service's last refresh of the frame is what it shows now.
            if (refresh.sampled && m_restartPending.erase(refresh.service) != 0 && last[refresh.service] == i) {
                ++m_restartsChecked;
                if (refresh.service->m_cpu != 0.0f)
                    Violation(Narrow(std::wstring(refresh.service->GetServiceName())) +
                              ": first share after being given a row is " + std::to_string(refresh.service->m_cpu));
            }
        }
        for (const Refresh& refresh : refreshes) {
            // A line that left and came straight back was refreshed twice: its middle state is unseen.
            if (refresh.service == nullptr || times[refresh.service] > 1)
                continue;
            const Shown& before = m_before[refresh.service];
            const Shown after = ShownBy(*refresh.service);
            const std::string name = Narrow(std::wstring(refresh.service->GetServiceName()));
            ++m_checked;
            if (after.cpu < 0 || after.cpu > 100)
                Violation(name + ": processor share out of range: " + Describe(after));
            if (after.cpu > m_highestCpu)
                m_highestCpu = after.cpu;
            if (refresh.statusFailed) {
                ++m_statusFaults;
                if (after.state != before.state || after.memory != before.memory || after.cpu != before.cpu)
                    Violation(name + ": status unread, yet " + Describe(before) + " became " + Describe(after));
                continue;
            }
            if (!IsStateText(after.state))
                Violation(name + ": state read, yet the text is \"" + Narrow(std::wstring(after.state)) + "\"");
            if (refresh.measureFailed) {
                ++m_measureFaults;
                if (after.memory != before.memory || after.cpu != before.cpu)
                    Violation(name + ": process unread, yet " + Describe(before) + " became " + Describe(after));
            } else if (refresh.timesFailed) {
                ++m_timesFaults;
                if (after.cpu != before.cpu)
                    Violation(name + ": times unread, yet " + Describe(before) + " became " + Describe(after));
            }
        }
    }

    void Violation(const std::string& text)
    {
        if (m_violations.size() < 20)
            m_violations.push_back(text);
        ++m_violationCount;
    }

    FaultSchedule m_schedule{kFaultSeed, kFaultShare};
    std::unique_ptr<FakeServiceApi> m_fake;
    std::unique_ptr<WatchedMonitorWnd> m_window;
    std::map<const CMonitoredService*, Shown> m_before;
    size_t m_rowRefreshes = 0;
    std::set<const CMonitoredService*> m_restartPending;
    int m_restartsChecked = 0;
    std::vector<std::string> m_violations;
    int m_violationCount = 0;
    int m_builds = 0;
    int m_checked = 0;
    int m_statusFaults = 0;
    int m_measureFaults = 0;
    int m_timesFaults = 0;
    float m_highestCpu = 0;
};

TEST_F(MonitorWndFault, FailingCallsAndFlappingServicesNeitherHangNorLeakNorGarbleTheLines)
{
    const int seconds = FaultSeconds();
    std::printf("fault seed %u, share %.2f; flap seed %u; %d s\n", kFaultSeed, kFaultShare, kFlapSeed, seconds);
    ProbeFlapper probes(L"QvFault", kProbes, kFlapSeed);
    ASSERT_TRUE(probes.Ready());
    SaveLocalPairs(probes.Names(), kRows);

    m_fake = std::make_unique<FakeServiceApi>();
    m_fake->fault = [this](Call call, HANDLE handle) { return m_schedule.Next(call, handle); };
    m_window = CreateShowingWindow();
    ASSERT_NE(m_window, nullptr) << "no build in ten kept a service";
    m_window->beforeFrame = [this] { BeforeFrame(); };
    m_window->afterFrame = [this] { AfterFrame(); };
    probes.Start(500, 3);

    // Two of the lines on screen lose their service, one a third of the way, one two thirds.
    std::mt19937 pick(kFlapSeed + 1);
    const DWORD start = GetTickCount();
    const DWORD runMs = static_cast<DWORD>(seconds) * 1000;
    const DWORD earlyAt = std::min<DWORD>(20000, runMs / 4);
    std::vector<DWORD> removals = {runMs / 3, runMs / 3 * 2};
    std::vector<std::wstring> removed;
    Samples early;
    bool sampled = false;
    for (DWORD elapsed = 0; elapsed < runMs; elapsed = GetTickCount() - start) {
        Pump(100);
        if (!sampled && elapsed >= earlyAt) {
            early = Sample();
            sampled = true;
        }
        // A removed service's line stays on screen with its last values: pick among the others.
        std::vector<std::wstring> candidates;
        for (const CMonitoredService* shown : m_window->Displayed())
            if (std::find(removed.begin(), removed.end(), std::wstring(shown->GetServiceName())) == removed.end())
                candidates.emplace_back(shown->GetServiceName());
        if (!removals.empty() && elapsed >= removals.front() && !candidates.empty()) {
            const std::wstring& victim =
                candidates[std::uniform_int_distribution<size_t>(0, candidates.size() - 1)(pick)];
            std::printf("removing %s while shown, at %lu s\n", Narrow(victim).c_str(), elapsed / 1000);
            probes.Remove(victim);
            removed.push_back(victim);
            removals.erase(removals.begin());
        }
    }
    probes.Stop();
    const Samples late = Sample();
    const int frames = m_window->Frames();
    const double longestGap = m_window->LongestGapMs();
    m_window->DestroyWindow();
    m_window.reset();
    const Samples closed = Sample();
    m_fake.reset();

    std::printf("builds %d; frames %d in %d s; longest gap between frames %.1f ms\n", m_builds, frames, seconds,
                longestGap);
    std::printf("faults injected %d:", m_schedule.Injected());
    for (Call call : {Call::OpenSCManager, Call::OpenService, Call::QueryServiceConfig, Call::QueryServiceStatusEx,
                      Call::OpenProcess, Call::GetProcessMemoryInfo, Call::GetProcessTimes})
        std::printf(" %s %d", Narrow(CallName(call)).c_str(), m_schedule.Injected(call));
    std::printf("\nrefreshes checked %d: status unread %d, process unread %d, times unread %d; first shares after "
                "a row was given %d; highest CPU %.0f%%\n",
                m_checked, m_statusFaults, m_measureFaults, m_timesFaults, m_restartsChecked, m_highestCpu);
    std::printf("probe changes %d, removals %d, reinstalls %d, refused installs %d (last error %lu)\n",
                probes.Changes(), probes.Removals(), probes.Reinstalls(), probes.RefusedInstalls(),
                probes.LastRefusal());
    std::printf("GDI objects early %d, late %d, window closed %d; kernel handles early %d, late %d, window closed %d\n",
                early.gdi, late.gdi, closed.gdi, early.handles, late.handles, closed.handles);

    EXPECT_GT(frames, 0);
    EXPECT_LT(longestGap, kHangMs) << "the window stopped drawing";
    EXPECT_EQ(m_violationCount, 0);
    for (const std::string& violation : m_violations)
        ADD_FAILURE() << violation;
    // The run only says something if every kind of refresh failure happened on screen.
    EXPECT_GT(m_statusFaults, 0);
    EXPECT_GT(m_measureFaults, 0);
    EXPECT_GT(m_timesFaults, 0);
    EXPECT_GT(m_restartsChecked, 0);
    EXPECT_EQ(probes.Removals(), 2);
    ASSERT_TRUE(sampled);
    ASSERT_GE(early.gdi, 0);
    ASSERT_GE(early.handles, 0);
    EXPECT_LE(late.gdi, early.gdi + kGdiSlack);
    EXPECT_LE(late.handles, early.handles + kHandleSlack);
}

} // namespace
