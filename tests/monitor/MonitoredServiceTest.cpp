#include "FakeServiceApi.h"
#include "ProbeService.h"
#include "monitor/CMonitoredService.h"
#include "monitor/CServiceManager.h"
#include "monitor/ServiceApi.h"

#include <gtest/gtest.h>

#include <psapi.h>

namespace {

DWORD WorkingSetUnits(DWORD processId)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (process == nullptr)
        return 0;
    GetProcessMemoryInfo(process, &counters, sizeof(counters));
    CloseHandle(process);
    return static_cast<DWORD>(counters.WorkingSetSize / 1000);
}

ULONGLONG ProcessTime(DWORD processId)
{
    FILETIME creation, exit, kernel, user;
    const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (process == nullptr)
        return 0;
    const BOOL read = GetProcessTimes(process, &creation, &exit, &kernel, &user);
    CloseHandle(process);
    if (!read)
        return 0;
    const auto value = [](const FILETIME &t) { return (ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
    return value(kernel) + value(user);
}

// A monitored service opened the way the saver opens it, through a manager closed right after.
std::unique_ptr<CMonitoredService> OpenMonitored(const std::wstring &name)
{
    CServiceManager manager;
    if (!manager.Open(nullptr, L"ServicesActive", GENERIC_READ))
        return nullptr;
    auto service = std::make_unique<CMonitoredService>();
    if (!service->Open(manager, name.c_str()))
        return nullptr;
    service->SetServerName(L"LOCALHOST");
    return service;
}

// One running own-process probe shared by the measuring cases.
class OwnProcessProbe : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_probe = new ProbeService(L"QvOwnProbe", L"Quorvane own probe \u00e9");
        s_running = s_probe->Start({L"burn=2500000", L"grow=16000000"});
    }
    static void TearDownTestSuite()
    {
        delete s_probe;
        s_probe = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(s_running);
        m_service = OpenMonitored(L"QvOwnProbe");
        ASSERT_NE(m_service, nullptr);
    }

    static ProbeService *s_probe;
    static bool s_running;
    std::unique_ptr<CMonitoredService> m_service;
};

ProbeService *OwnProcessProbe::s_probe = nullptr;
bool OwnProcessProbe::s_running = false;

TEST_F(OwnProcessProbe, OpenLearnsTheDisplayName)
{
    EXPECT_EQ(std::wstring(m_service->m_displayName), L"Quorvane own probe \u00e9");
}

TEST_F(OwnProcessProbe, RunningServiceShowsItsProcessWorkingSet)
{
    const DWORD processId = s_probe->Status().dwProcessId;
    const DWORD before = WorkingSetUnits(processId);
    ASSERT_TRUE(m_service->Refresh(TRUE));
    const DWORD after = WorkingSetUnits(processId);

    CString text;
    DWORD memory = 0;
    float cpu = -1;
    m_service->GetStatusText(text);
    m_service->GetMemory(memory);
    m_service->GetCpu(cpu);
    EXPECT_EQ(text, L"Running");
    EXPECT_GE(memory, std::min(before, after));
    EXPECT_LE(memory, std::max(before, after));
    EXPECT_GT(memory, 0u);
    EXPECT_EQ(cpu, 0.0f);
    EXPECT_FALSE(m_service->m_shortLine);
}

TEST_F(OwnProcessProbe, HeldMemoryRaisesTheWorkingSet)
{
    ASSERT_TRUE(m_service->Refresh(TRUE));
    const DWORD before = m_service->m_memory;
    ASSERT_TRUE(s_probe->Request(L"grow"));
    ASSERT_TRUE(m_service->Refresh(FALSE));
    EXPECT_GE(m_service->m_memory, before + 16000 - 100);
    EXPECT_LE(m_service->m_memory, before + 16000 + 2000);
}

TEST_F(OwnProcessProbe, BurnBetweenRefreshesGivesThePlatformsShareAndRestartGivesZero)
{
    const DWORD processId = s_probe->Status().dwProcessId;
    const ULONGLONG before = ProcessTime(processId), startedFirst = RealServiceApi().monotonicTime();
    ASSERT_TRUE(m_service->Refresh(TRUE));
    const ULONGLONG afterFirst = ProcessTime(processId), endedFirst = RealServiceApi().monotonicTime();
    ASSERT_TRUE(s_probe->Request(L"burn"));
    const ULONGLONG beforeSecond = ProcessTime(processId), startedSecond = RealServiceApi().monotonicTime();
    ASSERT_TRUE(m_service->Refresh(FALSE));
    const ULONGLONG after = ProcessTime(processId), endedSecond = RealServiceApi().monotonicTime();

    // The share is the platform's own count over the time between the two samples, whatever that
    // platform counts (Wine 8 reports the caller's own times for another process).
    EXPECT_GE(m_service->m_cpu, 100.0 * (beforeSecond - afterFirst) / (endedSecond - startedFirst) - 0.01);
    EXPECT_LE(m_service->m_cpu, 100.0 * (after - before) / (startedSecond - endedFirst) + 0.01);

    ASSERT_TRUE(s_probe->Request(L"burn"));
    ASSERT_TRUE(m_service->Refresh(TRUE));
    EXPECT_EQ(m_service->m_cpu, 0.0f);
}

TEST_F(OwnProcessProbe, RemoteServerIsNeverMeasured)
{
    m_service->m_local = FALSE;
    ASSERT_TRUE(m_service->Refresh(TRUE));
    EXPECT_EQ(m_service->m_statusText, L"Running");
    EXPECT_EQ(m_service->m_memory, 0u);
    EXPECT_EQ(m_service->m_cpu, 0.0f);
    EXPECT_TRUE(m_service->m_shortLine);
}

TEST_F(OwnProcessProbe, EveryServiceAndProcessHandleOpenedIsClosed)
{
    FakeServiceApi seam;
    {
        auto service = OpenMonitored(L"QvOwnProbe");
        ASSERT_NE(service, nullptr);
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(service->Refresh(i == 0));
        EXPECT_EQ(seam.processesOpened, 3);
        EXPECT_EQ(seam.processesClosed, 3);
        EXPECT_FALSE(OpenMonitored(L"QvNoSuchProbe"));
    }
    EXPECT_EQ(seam.servicesOpened, 1);
    EXPECT_EQ(seam.serviceHandlesClosed, 1);
}

TEST(MonitoredService, StoppedLineStaysShortAfterStartingAgain)
{
    ProbeService probe(L"QvStopStartProbe", L"Quorvane stop start probe");
    auto service = OpenMonitored(L"QvStopStartProbe");
    ASSERT_NE(service, nullptr);
    ASSERT_TRUE(service->Refresh(TRUE));
    EXPECT_EQ(service->m_statusText, L"Stopped");
    EXPECT_TRUE(service->m_shortLine);
    EXPECT_EQ(service->m_memory, 0u);
    EXPECT_EQ(service->m_cpu, 0.0f);

    ASSERT_TRUE(probe.Start());
    ASSERT_TRUE(service->Refresh(TRUE));
    EXPECT_EQ(service->m_statusText, L"Running");
    EXPECT_TRUE(service->m_shortLine);
}

TEST(MonitoredService, PausedAndPendingStatesShowTheirTexts)
{
    ProbeService probe(L"QvPauseProbe", L"Quorvane pause probe");
    ASSERT_TRUE(probe.Start({L"hold-start=3000", L"hold-pause=3000", L"hold-continue=3000", L"hold-stop=3000"},
                            SERVICE_START_PENDING));
    auto service = OpenMonitored(L"QvPauseProbe");
    ASSERT_NE(service, nullptr);
    ASSERT_TRUE(service->Refresh(TRUE));
    EXPECT_EQ(service->m_statusText, L"Starting");
    EXPECT_FALSE(service->m_shortLine);

    ASSERT_TRUE(probe.WaitForState(SERVICE_RUNNING));
    ASSERT_TRUE(probe.Control(SERVICE_CONTROL_PAUSE, SERVICE_PAUSE_PENDING));
    ASSERT_TRUE(service->Refresh(FALSE));
    EXPECT_EQ(service->m_statusText, L"Unknown");

    ASSERT_TRUE(probe.WaitForState(SERVICE_PAUSED));
    ASSERT_TRUE(service->Refresh(FALSE));
    EXPECT_EQ(service->m_statusText, L"Paused");
    EXPECT_FALSE(service->m_shortLine);

    ASSERT_TRUE(probe.Control(SERVICE_CONTROL_CONTINUE, SERVICE_CONTINUE_PENDING));
    ASSERT_TRUE(service->Refresh(FALSE));
    EXPECT_EQ(service->m_statusText, L"Unknown");
    ASSERT_TRUE(probe.WaitForState(SERVICE_RUNNING));

    ASSERT_TRUE(probe.Control(SERVICE_CONTROL_STOP, SERVICE_STOP_PENDING));
    ASSERT_TRUE(service->Refresh(FALSE));
    EXPECT_EQ(service->m_statusText, L"Stopping");
    EXPECT_FALSE(service->m_shortLine);
}

TEST(MonitoredService, SharedProcessLineIsShort)
{
    const std::vector<std::wstring> hosted = {L"QvShareA", L"QvShareB"};
    ProbeService first(L"QvShareA", L"Quorvane share A", SERVICE_WIN32_SHARE_PROCESS, hosted);
    ProbeService second(L"QvShareB", L"Quorvane share B", SERVICE_WIN32_SHARE_PROCESS, hosted);
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(second.Start());
    // Wine starts each of them in a process of its own, yet reports the shared type the monitor tests.
    EXPECT_EQ(second.Status().dwServiceType, static_cast<DWORD>(SERVICE_WIN32_SHARE_PROCESS));

    auto service = OpenMonitored(L"QvShareB");
    ASSERT_NE(service, nullptr);
    ASSERT_TRUE(service->Refresh(TRUE));
    EXPECT_EQ(service->m_statusText, L"Running");
    EXPECT_TRUE(service->m_shortLine);
    EXPECT_EQ(service->m_memory, 0u);
    EXPECT_EQ(service->m_cpu, 0.0f);
}

TEST(MonitoredService, ServiceRemovedAfterEnumerationFailsToOpen)
{
    auto probe = std::make_unique<ProbeService>(L"QvVanishingProbe", L"Quorvane vanishing probe");
    ASSERT_TRUE(probe->Installed());
    probe.reset();
    FakeServiceApi seam;
    EXPECT_EQ(OpenMonitored(L"QvVanishingProbe"), nullptr);
    EXPECT_EQ(seam.servicesOpened, seam.serviceHandlesClosed);
}

TEST(MonitoredService, ServiceDeletedWhileRefreshedLeaksNothing)
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
}

} // namespace
