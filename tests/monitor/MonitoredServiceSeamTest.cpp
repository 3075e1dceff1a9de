#include "FakeServiceApi.h"
#include "monitor/CMonitoredService.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

FILETIME Units(ULONGLONG value)
{
    return {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

// A local own-process service whose status, process and counters the test dictates.
class ScriptedProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_seam.openService = [](SC_HANDLE, LPCWSTR, DWORD) { return FakeServiceApi::FakeService(); };
        m_seam.queryServiceConfig = [](LPQUERY_SERVICE_CONFIGW, DWORD, LPDWORD) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        };
        m_seam.queryServiceStatusEx = [this](SERVICE_STATUS_PROCESS &status) {
            status = {};
            status.dwServiceType = m_type;
            status.dwCurrentState = m_state;
            status.dwProcessId = m_processId;
            return TRUE;
        };
        m_seam.openProcess = [this](DWORD) { return m_processOpens ? FakeServiceApi::FakeProcess() : nullptr; };
        m_seam.getProcessMemoryInfo = [this](PROCESS_MEMORY_COUNTERS &counters) {
            counters.WorkingSetSize = m_workingSet;
            return TRUE;
        };
        m_seam.getProcessTimes = [this](FILETIME &kernel, FILETIME &user) {
            kernel = Units(m_kernel);
            user = Units(m_user);
            return m_timesReadable;
        };
        // Each sample reads the clock once; it moves a second a sample unless a case says otherwise.
        m_seam.clock = [this] { return m_clock += m_step; };
        m_service = std::make_unique<CMonitoredService>();
        ASSERT_TRUE(m_service->Open(FakeServiceApi::FakeManager(), L"Scripted"));
    }

    FakeServiceApi m_seam;
    DWORD m_type = SERVICE_WIN32_OWN_PROCESS;
    DWORD m_state = SERVICE_RUNNING;
    DWORD m_processId = 4242;
    bool m_processOpens = true;
    bool m_timesReadable = true;
    SIZE_T m_workingSet = 1234567;
    ULONGLONG m_kernel = 1000000;
    ULONGLONG m_user = 3000000;
    ULONGLONG m_clock = 0;
    ULONGLONG m_step = 10000000;
    std::unique_ptr<CMonitoredService> m_service;
};

TEST_F(ScriptedProcess, CountersGiveExactMemoryAndShare)
{
    ASSERT_TRUE(m_service->Refresh(TRUE));
    EXPECT_EQ(m_service->m_memory, 1234u);
    EXPECT_EQ(m_service->m_cpu, 0.0f);
    m_user += 1500000;
    m_kernel += 1000000;
    ASSERT_TRUE(m_service->Refresh(FALSE));
    EXPECT_FLOAT_EQ(m_service->m_cpu, 25.0f);
    EXPECT_EQ(m_service->m_displayName, L"");
    EXPECT_EQ(m_seam.processesOpened, m_seam.processesClosed);
}

TEST_F(ScriptedProcess, ShareIsTakenOverTheTimeThatPassedBetweenSamples)
{
    // A 10 ms timer fires on Windows' 15.625 ms clock tick: a hundred frames take 1.5625 s.
    const struct {
        ULONGLONG elapsed;
        float share;
    } steps[] = {{10000000, 25.0f}, {15625000, 16.0f}, {0, 0.0f}};
    for (const auto &step : steps) {
        ASSERT_TRUE(m_service->Refresh(TRUE));
        m_step = step.elapsed;
        m_user += 2500000;
        ASSERT_TRUE(m_service->Refresh(FALSE));
        EXPECT_FLOAT_EQ(m_service->m_cpu, step.share) << step.elapsed;
        m_step = 10000000;
    }
}

TEST_F(ScriptedProcess, EveryTypeWithTheSharedProcessBitIsLeftUnmeasured)
{
    // Own process, interactive, per-user and per-user instance; then shared, and the same with those bits.
    const struct {
        DWORD type;
        bool measured;
    } types[] = {{0x10, true},  {0x110, true}, {0x50, true},  {0xD0, true},
                 {0x20, false}, {0x60, false}, {0xE0, false}, {0x120, false}};
    for (const auto &row : types) {
        CMonitoredService service;
        ASSERT_TRUE(service.Open(FakeServiceApi::FakeManager(), L"Typed"));
        m_type = row.type;
        ASSERT_TRUE(service.Refresh(TRUE));
        m_user += 2500000;
        ASSERT_TRUE(service.Refresh(FALSE));
        EXPECT_EQ(service.m_memory, row.measured ? 1234u : 0u) << std::hex << row.type;
        EXPECT_FLOAT_EQ(service.m_cpu, row.measured ? 25.0f : 0.0f) << std::hex << row.type;
        EXPECT_EQ(service.m_shortLine != FALSE, !row.measured) << std::hex << row.type;
    }
}

TEST_F(ScriptedProcess, ShareUsesLowBitsAcrossTheirWrap)
{
    m_kernel = 0x1FFFFFF00ull;
    m_user = 0;
    ASSERT_TRUE(m_service->Refresh(TRUE));
    m_kernel += 0x200;
    ASSERT_TRUE(m_service->Refresh(FALSE));
    EXPECT_FLOAT_EQ(m_service->m_cpu, 0x200 * 0.00001f);
    // A change above the low 32 bits alone counts as nothing.
    m_kernel += 0x100000000ull;
    ASSERT_TRUE(m_service->Refresh(FALSE));
    EXPECT_EQ(m_service->m_cpu, 0.0f);
}

TEST_F(ScriptedProcess, UnopenableProcessKeepsPreviousValues)
{
    ASSERT_TRUE(m_service->Refresh(TRUE));
    m_kernel += 500000;
    ASSERT_TRUE(m_service->Refresh(FALSE));
    m_processOpens = false;
    m_state = SERVICE_PAUSED;
    m_workingSet = 99999999;
    EXPECT_FALSE(m_service->Refresh(FALSE));
    EXPECT_EQ(m_service->m_statusText, L"Paused");
    EXPECT_EQ(m_service->m_memory, 1234u);
    EXPECT_FLOAT_EQ(m_service->m_cpu, 5.0f);

    // Unreadable times still let the new working set through.
    m_processOpens = true;
    m_timesReadable = false;
    EXPECT_FALSE(m_service->Refresh(FALSE));
    EXPECT_EQ(m_service->m_memory, 99999u);
    EXPECT_FLOAT_EQ(m_service->m_cpu, 5.0f);
    EXPECT_EQ(m_seam.processesOpened, m_seam.processesClosed);
}

TEST_F(ScriptedProcess, FirstMeasurementWithoutEarlierSampleActsAsRestart)
{
    m_processId = 0;
    m_state = SERVICE_START_PENDING;
    ASSERT_TRUE(m_service->Refresh(TRUE));
    EXPECT_EQ(m_service->m_statusText, L"Starting");
    EXPECT_EQ(m_service->m_memory, 0u);
    EXPECT_FALSE(m_service->m_shortLine);
    EXPECT_EQ(m_seam.processesOpened, 0);

    m_processId = 4242;
    m_state = SERVICE_RUNNING;
    ASSERT_TRUE(m_service->Refresh(FALSE));
    EXPECT_EQ(m_service->m_cpu, 0.0f);
    EXPECT_EQ(m_service->m_memory, 1234u);
}

TEST_F(ScriptedProcess, ARestartWhoseMeasurementFailedStillStartsTheNextShareAtZero)
{
    ASSERT_TRUE(m_service->Refresh(TRUE));
    m_kernel += 500000;
    ASSERT_TRUE(m_service->Refresh(FALSE));
    // Off screen for a while, then given a row again while its process cannot be opened.
    m_user += 90000000;
    m_processOpens = false;
    EXPECT_FALSE(m_service->Refresh(TRUE));
    m_processOpens = true;
    m_user += 1000000;
    ASSERT_TRUE(m_service->Refresh(FALSE));
    EXPECT_EQ(m_service->m_cpu, 0.0f);
    m_user += 1000000;
    ASSERT_TRUE(m_service->Refresh(FALSE));
    EXPECT_FLOAT_EQ(m_service->m_cpu, 10.0f);
}

TEST_F(ScriptedProcess, AServiceStartedAgainInANewProcessStartsItsShareAtZero)
{
    m_kernel = 200000000;
    m_user = 0;
    ASSERT_TRUE(m_service->Refresh(TRUE));
    m_kernel += 1000000;
    ASSERT_TRUE(m_service->Refresh(FALSE));
    m_state = SERVICE_STOPPED;
    ASSERT_TRUE(m_service->Refresh(FALSE));
    // The new process has used far less time than the old one: against it, the low bits would wrap.
    m_state = SERVICE_RUNNING;
    m_processId = 4343;
    m_kernel = 300000;
    ASSERT_TRUE(m_service->Refresh(FALSE));
    EXPECT_EQ(m_service->m_cpu, 0.0f);
    m_kernel += 1000000;
    ASSERT_TRUE(m_service->Refresh(FALSE));
    EXPECT_FLOAT_EQ(m_service->m_cpu, 10.0f);
}

TEST_F(ScriptedProcess, UnreadableStatusChangesNothing)
{
    ASSERT_TRUE(m_service->Refresh(TRUE));
    m_seam.queryServiceStatusEx = [](SERVICE_STATUS_PROCESS &) {
        SetLastError(RPC_S_SERVER_UNAVAILABLE);
        return FALSE;
    };
    m_workingSet = 1;
    EXPECT_FALSE(m_service->Refresh(FALSE));
    EXPECT_EQ(m_service->m_statusText, L"Running");
    EXPECT_EQ(m_service->m_memory, 1234u);
}

TEST_F(ScriptedProcess, ServerNameRefusesEmptyNames)
{
    EXPECT_TRUE(m_service->SetServerName(L"SRV1"));
    EXPECT_FALSE(m_service->SetServerName(L""));
    EXPECT_FALSE(m_service->SetServerName(nullptr));
    EXPECT_EQ(m_service->m_server, L"SRV1");
}

TEST(ServiceConfig, BlockLargerThanFirstTryIsFetchedAtReportedSize)
{
    static const std::wstring kLongName(1000, L'\u00e9');
    FakeServiceApi seam;
    seam.openService = [](SC_HANDLE, LPCWSTR, DWORD) { return FakeServiceApi::FakeService(); };
    const DWORD needed = sizeof(QUERY_SERVICE_CONFIGW) + (kLongName.size() + 1) * sizeof(wchar_t);
    seam.queryServiceConfig = [needed](LPQUERY_SERVICE_CONFIGW config, DWORD size, LPDWORD reported) {
        *reported = needed;
        if (size < needed) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        std::memset(config, 0, size);
        auto *text = reinterpret_cast<wchar_t *>(config + 1);
        std::wmemcpy(text, kLongName.c_str(), kLongName.size() + 1);
        config->lpDisplayName = text;
        return TRUE;
    };
    {
        CMonitoredService service;
        EXPECT_TRUE(service.Open(FakeServiceApi::FakeManager(), L"Huge"));
        EXPECT_EQ(std::wstring(service.m_displayName), kLongName);
    }
    ASSERT_EQ(seam.configSizes.size(), 2u);
    EXPECT_EQ(seam.configSizes[0], 256u);
    EXPECT_EQ(seam.configSizes[1], needed);
    EXPECT_EQ(seam.serviceHandlesClosed, 1);

    // A second shortfall is a failure: the service still opens, with no display name.
    seam.queryServiceConfig = [](LPQUERY_SERVICE_CONFIGW, DWORD, LPDWORD reported) {
        *reported += 256;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    };
    CMonitoredService shrinking;
    EXPECT_TRUE(shrinking.Open(FakeServiceApi::FakeManager(), L"Growing"));
    EXPECT_TRUE(shrinking.m_displayName.IsEmpty());
}

} // namespace
