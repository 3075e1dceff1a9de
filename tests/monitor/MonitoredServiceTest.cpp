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

// The working set in units of 1000 bytes and the kernel plus user time of a process, from the platform.
std::pair<DWORD, ULONGLONG> Usage(DWORD processId)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    FILETIME creation, exit, kernel = {}, user = {};
    const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    GetProcessMemoryInfo(process, &counters, sizeof(counters));
    GetProcessTimes(process, &creation, &exit, &kernel, &user);
    CloseHandle(process);
    const auto value = [](const FILETIME &t) { return (ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
    return {static_cast<DWORD>(counters.WorkingSetSize / 1000), value(kernel) + value(user)};
}

TEST(MonitoredService, RunningProbeShowsItsNameWorkingSetAndThePlatformsShare)
{
    ProbeService probe(L"QvOwnProbe", L"Quorvane own probe \u00e9");
    ASSERT_TRUE(probe.Start({L"burn=2500000"}));
    auto service = OpenMonitored(L"QvOwnProbe");
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(std::wstring(service->m_displayName), L"Quorvane own probe \u00e9");

    const DWORD id = probe.Status().dwProcessId;
    const auto now = [] { return RealServiceApi().monotonicTime(); };
    const auto before = Usage(id);
    const ULONGLONG startedFirst = now();
    ASSERT_TRUE(service->Refresh(TRUE));
    const ULONGLONG endedFirst = now();
    const auto afterFirst = Usage(id);
    EXPECT_EQ(service->m_statusText, L"Running");
    EXPECT_GE(service->m_memory, std::min(before.first, afterFirst.first));
    EXPECT_LE(service->m_memory, std::max(before.first, afterFirst.first));
    EXPECT_GT(service->m_memory, 0u);
    EXPECT_EQ(service->m_cpu, 0.0f);

    // The share is the platform's own count over the time between the two samples, whatever that
    // platform counts (Wine 8 reports the caller's own times for another process).
    ASSERT_TRUE(probe.Request(L"burn"));
    const auto beforeSecond = Usage(id);
    const ULONGLONG startedSecond = now();
    ASSERT_TRUE(service->Refresh(FALSE));
    const ULONGLONG endedSecond = now();
    const auto after = Usage(id);
    EXPECT_GE(service->m_cpu, 100.0 * (beforeSecond.second - afterFirst.second) / (endedSecond - startedFirst) - 0.01);
    EXPECT_LE(service->m_cpu, 100.0 * (after.second - before.second) / (startedSecond - endedFirst) + 0.01);
    EXPECT_FALSE(service->m_shortLine);
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
