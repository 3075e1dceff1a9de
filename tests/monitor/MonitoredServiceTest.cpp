#include "FakeServiceApi.h"
#include "ProbeService.h"
#include "monitor/CMonitoredService.h"
#include "monitor/CServiceManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

// A monitored service opened the way the saver opens it, through a manager closed right after.
std::unique_ptr<CMonitoredService> OpenMonitored(const std::wstring &name)
{
    CServiceManager manager;
    auto service = std::make_unique<CMonitoredService>();
    if (!manager.Open(nullptr, L"ServicesActive", GENERIC_READ) || !service->Open(manager, name.c_str()))
        return nullptr;
    return service;
}

DWORD WorkingSetUnits(DWORD processId)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    GetProcessMemoryInfo(process, &counters, sizeof(counters));
    CloseHandle(process);
    return static_cast<DWORD>(counters.WorkingSetSize / 1000);
}

TEST(MonitoredService, RunningProbeShowsItsNameAndWorkingSet)
{
    ProbeService probe(L"QvOwnProbe", L"Quorvane own probe \u00e9");
    ASSERT_TRUE(probe.Start());
    auto service = OpenMonitored(L"QvOwnProbe");
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(std::wstring(service->m_displayName), L"Quorvane own probe \u00e9");
    const DWORD before = WorkingSetUnits(probe.Status().dwProcessId);
    ASSERT_TRUE(service->Refresh(TRUE));
    const DWORD after = WorkingSetUnits(probe.Status().dwProcessId);
    EXPECT_EQ(service->m_statusText, L"Running");
    EXPECT_GE(service->m_memory, std::min(before, after));
    EXPECT_LE(service->m_memory, std::max(before, after));
    EXPECT_GT(service->m_memory, 0u);
    EXPECT_EQ(service->m_cpu, 0.0f);
    EXPECT_FALSE(service->m_shortLine);
}

// Shares are process times over this clock's time, so it must count the same 100-ns units.
TEST(MonitoredService, ClockCountsHundredNanosecondUnits)
{
    const auto own = [] {
        LARGE_INTEGER count, frequency;
        QueryPerformanceCounter(&count);
        QueryPerformanceFrequency(&frequency);
        return static_cast<ULONGLONG>(static_cast<long double>(count.QuadPart) * 10000000 / frequency.QuadPart);
    };
    const ULONGLONG outerStart = own(), start = RealServiceApi().monotonicTime(), innerStart = own();
    Sleep(200);
    const ULONGLONG innerEnd = own(), end = RealServiceApi().monotonicTime(), outerEnd = own();
    EXPECT_GE(end - start + 2, innerEnd - innerStart);
    EXPECT_LE(end - start, outerEnd - outerStart + 2);
}

TEST(MonitoredService, EachStateOfARealServiceShowsItsText)
{
    const std::vector<std::wstring> holds = {L"hold-start=2000", L"hold-pause=2000", L"hold-continue=2000",
                                             L"hold-stop=2000"};
    constexpr DWORD kStart = 0;
    // Continue and pause pending share the text of unknown codes; a stopped line stays short once started.
    const struct {
        DWORD control;
        DWORD state;
        const wchar_t *text;
        BOOL shortLine;
    } rows[] = {{kStart, SERVICE_START_PENDING, L"Starting", FALSE},
                {kStart, SERVICE_RUNNING, L"Running", FALSE},
                {SERVICE_CONTROL_PAUSE, SERVICE_PAUSE_PENDING, L"Unknown", FALSE},
                {kStart, SERVICE_PAUSED, L"Paused", FALSE},
                {SERVICE_CONTROL_CONTINUE, SERVICE_CONTINUE_PENDING, L"Unknown", FALSE},
                {kStart, SERVICE_RUNNING, L"Running", FALSE},
                {SERVICE_CONTROL_STOP, SERVICE_STOP_PENDING, L"Stopping", FALSE},
                {kStart, SERVICE_STOPPED, L"Stopped", TRUE},
                {kStart, SERVICE_RUNNING, L"Running", TRUE}};
    ProbeService probe(L"QvStateProbe", L"Quorvane state probe");
    auto service = OpenMonitored(L"QvStateProbe");
    ASSERT_NE(service, nullptr);
    for (const auto &row : rows) {
        // A start row starts a stopped probe, or else waits for the state the probe is heading to.
        if (row.control != kStart)
            ASSERT_TRUE(probe.Control(row.control, row.state));
        else if (probe.Status().dwCurrentState == SERVICE_STOPPED && row.state != SERVICE_STOPPED)
            ASSERT_TRUE(
                probe.Start(row.state == SERVICE_START_PENDING ? holds : std::vector<std::wstring>{}, row.state));
        else
            ASSERT_TRUE(probe.WaitForState(row.state));
        ASSERT_TRUE(service->Refresh(FALSE));
        EXPECT_EQ(service->m_statusText, row.text);
        EXPECT_EQ(service->m_shortLine, row.shortLine) << row.text;
    }
}

TEST(MonitoredService, ServiceDeletedWhileRefreshedLeaksNoHandle)
{
    FakeServiceApi seam;
    {
        auto probe = std::make_unique<ProbeService>(L"QvDeletedProbe", L"Quorvane deleted probe");
        ASSERT_TRUE(probe->Start());
        auto service = OpenMonitored(L"QvDeletedProbe");
        ASSERT_NE(service, nullptr);
        ASSERT_TRUE(service->Refresh(TRUE));
        probe.reset();
        // Whatever the manager answers for a service marked for deletion, the call must be safe.
        service->Refresh(FALSE);
        EXPECT_EQ(seam.processesOpened, seam.processesClosed);
    }
    EXPECT_EQ(seam.servicesOpened, seam.serviceHandlesClosed);
    EXPECT_EQ(seam.managersOpened, seam.managerHandlesClosed);
}

} // namespace
