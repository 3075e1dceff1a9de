#include "FakeServiceApi.h"
#include "ProbeService.h"
#include "monitor/CMonitoredService.h"
#include "monitor/CServiceManager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

std::map<std::wstring, DWORD> Enumerate(CServiceManager &manager, DWORD type, DWORD state)
{
    std::map<std::wstring, DWORD> found;
    std::unique_ptr<BYTE[]> block;
    DWORD count = 0;
    if (manager.EnumServices(type, state, block, count))
        for (const auto *record = reinterpret_cast<const ENUM_SERVICE_STATUSW *>(block.get()); count-- > 0; ++record)
            found[record->lpServiceName] = record->ServiceStatus.dwServiceType;
    return found;
}

// Running probes with long key names and long, non-ASCII display names, so the active list outgrows two
// enumeration steps, and a stopped probe with the longest names the system allows.
TEST(ServiceManager, ListsAndNamesOfRealServices)
{
    std::deque<ProbeService> probes;
    std::map<std::wstring, std::wstring> names;
    for (int i = 0; i < 40; ++i) {
        const std::wstring key = L"QvBulk" + std::to_wstring(100 + i) + std::wstring(240, L'k');
        std::wstring display = L"Quorvane sonde \u00e9t\u00e9 \u03a9 \u6f22 " + key;
        display.resize(250, L'\u00e0');
        ASSERT_TRUE(probes.emplace_back(key, display).Start());
        names[key] = display;
    }
    const std::wstring longKey = L"QvLong" + std::wstring(250, L'k');
    names[longKey] = L"Quorvane \u00fc" + std::wstring(246, L'd');
    ASSERT_TRUE(probes.emplace_back(longKey, names[longKey]).Installed());

    FakeServiceApi seam;
    std::optional<CServiceManager> manager(std::in_place), never(std::in_place);
    // A second open closes the first manager.
    ASSERT_TRUE(manager->Open(nullptr, nullptr, GENERIC_READ));
    ASSERT_TRUE(manager->Open(nullptr, nullptr, GENERIC_READ));
    const auto active = Enumerate(*manager, SERVICE_WIN32, SERVICE_ACTIVE);
    ASSERT_GE(seam.enumSizes.size(), 3u) << "the active list should outgrow two enumeration steps";
    const auto all = Enumerate(*manager, SERVICE_WIN32, SERVICE_STATE_ALL);
    const auto drivers = Enumerate(*manager, SERVICE_DRIVER, SERVICE_STATE_ALL);
    EXPECT_EQ(all.count(longKey), 1u);
    for (const auto &[name, type] : all) {
        EXPECT_NE(type & SERVICE_WIN32, 0u);
        EXPECT_EQ(drivers.count(name), 0u);
    }

    for (const auto &[key, display] : names) {
        EXPECT_EQ(active.count(key), key == longKey ? 0u : 1u);
        CString text;
        EXPECT_TRUE(manager->GetDisplayName(key.c_str(), text));
        EXPECT_EQ(std::wstring(text), display);
        EXPECT_TRUE(manager->GetKeyName(display.c_str(), text));
        EXPECT_EQ(std::wstring(text), key);
    }
    CString text = L"left over";
    EXPECT_FALSE(manager->GetKeyName(L"No service is called this", text));
    EXPECT_TRUE(text.IsEmpty());
    text = L"left over";
    EXPECT_FALSE(manager->GetDisplayName(L"QvNoSuchService", text));
    EXPECT_TRUE(text.IsEmpty());
    // Every manager opened is closed once: by Close, then by the destructor after one more open.
    EXPECT_TRUE(manager->Close());
    EXPECT_FALSE(manager->Close());
    ASSERT_TRUE(manager->Open(nullptr, nullptr, GENERIC_READ));
    manager.reset();
    never.reset();
    EXPECT_EQ(seam.machines.size(), 3u);
    EXPECT_TRUE(seam.openManagers.empty() && seam.strayCloses == 0) << seam.strayCloses << " handles closed twice";
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

using Call = FakeServiceApi::Call;

// The real status, name and process reach the line; a service deleted while shown leaks no handle.
TEST(MonitoredService, RunningProbeShowsItsNameWorkingSetAndShareAndItsDeletionLeaksNoHandle)
{
    FakeServiceApi seam;
    {
        std::deque<ProbeService> probes;
        ProbeService &probe = probes.emplace_back(L"QvOwnProbe", L"Quorvane own probe \u00e9");
        ASSERT_TRUE(probe.Start({L"burn=30000"}));
        CMonitoredService service;
        {
            // Opened the way the saver opens it, through a manager closed right after.
            CServiceManager manager;
            ASSERT_TRUE(manager.Open(nullptr, L"ServicesActive", GENERIC_READ) && service.Open(manager, L"QvOwnProbe"));
        }
        EXPECT_EQ(std::wstring(service.m_displayName), L"Quorvane own probe \u00e9");
        ASSERT_TRUE(service.Refresh(TRUE));
        EXPECT_EQ(service.m_statusText, L"Running");
        EXPECT_FALSE(service.m_shortLine);
        // The probe keeps a processor busy. Under Wine its handle tells only this program's own times, and a user
        // without elevation may not open it at all: either way the system's process list tells its share, and the
        // working set its handle told a second before, give or take a few pages.
        std::vector<DWORD> memory;
        for (const DWORD refusal : {DWORD{0}, DWORD{ERROR_ACCESS_DENIED}}) {
            seam.fault = [refusal](Call call, HANDLE) { return call == Call::OpenProcess ? refusal : 0; };
            ASSERT_TRUE(service.Refresh(TRUE));
            Sleep(1000);
            ASSERT_TRUE(service.Refresh(FALSE));
            EXPECT_GT(service.m_cpu, 0.0f) << refusal;
            memory.push_back(service.m_memory);
        }
        EXPECT_GT(memory[0], 0u);
        EXPECT_NEAR(memory[1], memory[0], 100);
        probe.Remove();
        // Whatever the manager answers for a service marked for deletion, the call must be safe.
        service.Refresh(FALSE);
        EXPECT_TRUE(seam.openProcesses.empty());
    }
    EXPECT_TRUE(seam.openServices.empty() && seam.strayCloses == 0);
}

constexpr ULONGLONG kSecond = 10000000;

// What the scripted platform reports at one refresh, and what the line holds after it. The working set is
// processId * 1000 + 999 bytes, so the memory shown is the process id (twice it when read from the system's process
// list, which holds every process but 777); cpuTime is the process's kernel and user time together in 100-ns units,
// so a share of 1 % over a second is 100000. Process 555's handle tells this program's own times, as Wine's does.
struct Step {
    DWORD state, processId;
    ULONGLONG cpuTime;
    const wchar_t *text;
    DWORD memory;
    float cpu;
    // A failed call fails the refresh, unless the process list stands in.
    std::optional<Call> fails = std::nullopt;
    BOOL shortLine = FALSE;
    // The first step of a scenario always restarts.
    BOOL restart = FALSE;
    ULONGLONG elapsed = kSecond;
    ULONGLONG created = 0;
    // Records in the system's list, the step's process last: 2000 are 512,000 bytes, twice the first buffer.
    size_t records = 2000;
};

// A local service whose status, process, counters and clock the test dictates.
class ScriptedService : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_seam.openService = [](SC_HANDLE, LPCWSTR, DWORD) { return FakeServiceApi::FakeService(); };
        m_seam.queryServiceStatusEx = [this](SERVICE_STATUS_PROCESS &status) {
            status = {m_type, m_step.state, 0, 0, 0, 0, 0, m_step.processId, 0};
            return TRUE;
        };
        // As on Windows, process 0 cannot be opened.
        m_seam.openProcess = [](DWORD id) { return id != 0 ? FakeServiceApi::FakeProcess() : nullptr; };
        m_seam.getProcessMemoryInfo = [this](PROCESS_MEMORY_COUNTERS &counters) {
            counters.WorkingSetSize = m_step.processId * SIZE_T{1000} + 999;
            return TRUE;
        };
        // Both times count: a quarter of it is user time, in the list too.
        m_seam.getProcessTimes = [this](FILETIME &creation, FILETIME &kernel, FILETIME &user) {
            const ULONGLONG cpuTime = m_step.processId != 555 ? m_step.cpuTime : 0;
            const ULONGLONG userTime = cpuTime / 4, kernelTime = cpuTime - userTime;
            creation = {static_cast<DWORD>(m_step.created), static_cast<DWORD>(m_step.created >> 32)};
            kernel = {static_cast<DWORD>(kernelTime), static_cast<DWORD>(kernelTime >> 32)};
            user = {static_cast<DWORD>(userTime), static_cast<DWORD>(userTime >> 32)};
            return TRUE;
        };
        // The step's process comes last, after as many records as a busy system lists.
        m_seam.processList = [this] {
            std::vector<SYSTEM_PROCESS_INFORMATION> records(m_step.records);
            records.back().UniqueProcessId = ULongToHandle(m_step.processId != 777 ? m_step.processId : 0);
            records.back().VirtualMemoryCounters.WorkingSetSize = m_step.processId * SIZE_T{2000} + 999;
            records.back().CreateTime.QuadPart = static_cast<LONGLONG>(m_step.created);
            records.back().UserTime.QuadPart = static_cast<LONGLONG>(m_step.cpuTime / 4);
            records.back().KernelTime.QuadPart = static_cast<LONGLONG>(m_step.cpuTime - m_step.cpuTime / 4);
            return records;
        };
        m_seam.clock = [this] { return m_clock; };
        // The configuration is never readable: the line goes without a display name.
        m_seam.fault = [this](Call call, HANDLE) {
            return call == Call::QueryServiceConfig || m_step.fails == call ? ERROR_ACCESS_DENIED : 0u;
        };
    }

    void Run(const std::vector<Step> &steps, BOOL local = TRUE)
    {
        {
            CMonitoredService service;
            ASSERT_TRUE(service.Open(FakeServiceApi::FakeManager(), L"Scripted"));
            service.m_local = local;
            const int scenario = ++m_scenario;
            for (size_t i = 0; i < steps.size(); ++i) {
                SCOPED_TRACE(testing::Message() << "scenario " << scenario << ", step " << i);
                m_step = steps[i];
                m_clock += m_step.elapsed;
                const bool failed = m_step.fails == Call::QueryServiceStatusEx ||
                                    (m_step.fails && (m_step.processId == 777 || m_step.records > 262144));
                EXPECT_EQ(service.Refresh(i == 0 || m_step.restart) != FALSE, !failed);
                EXPECT_EQ(std::wstring(service.m_statusText), m_step.text);
                EXPECT_EQ(service.m_memory, m_step.memory);
                EXPECT_FLOAT_EQ(service.m_cpu, m_step.cpu);
                EXPECT_EQ(service.m_shortLine, m_step.shortLine);
            }
        }
        EXPECT_TRUE(m_seam.openProcesses.empty() && m_seam.openServices.empty() && m_seam.strayCloses == 0);
    }

    FakeServiceApi m_seam;
    DWORD m_type = SERVICE_WIN32_OWN_PROCESS;
    Step m_step = {};
    ULONGLONG m_clock = 0;
    int m_scenario = 0;
};

const DWORD kRunning = SERVICE_RUNNING;

TEST_F(ScriptedService, StepsGiveTheirTextsMemoryAndShare)
{
    const std::vector<Step> scenarios[] = {
        // A 10 ms timer fires on Windows' 15.625 ms clock tick: a hundred frames take 1.5625 s. One tick of
        // processor time over a tenth of a second keeps the share shown before, first or not; the next
        // sample takes it over the whole span. More than one processor's worth shows as 100.
        {{kRunning, 1234, 4000000, L"Running", 1234, 0},
         {kRunning, 1234, 4156250, L"Running", 1234, 0, {}, FALSE, FALSE, kSecond / 10},
         {kRunning, 1234, 6500000, L"Running", 1234, 25, {}, FALSE, FALSE, kSecond * 9 / 10},
         {kRunning, 1234, 9000000, L"Running", 1234, 16, {}, FALSE, FALSE, 15625000},
         {kRunning, 1234, 9156250, L"Running", 1234, 16, {}, FALSE, FALSE, kSecond / 10},
         {kRunning, 1234, 10000000, L"Running", 1234, 10, {}, FALSE, FALSE, kSecond * 9 / 10},
         {kRunning, 1234, 30000000, L"Running", 1234, 100}},
        // A share over exactly half a second is taken; over a unit less the earlier one stays.
        {{kRunning, 1234, 1000000, L"Running", 1234, 0},
         {kRunning, 1234, 1500000, L"Running", 1234, 10, {}, FALSE, FALSE, kSecond / 2},
         {kRunning, 1234, 1600000, L"Running", 1234, 10, {}, FALSE, FALSE, kSecond / 2 - 1}},
        // Only the low 32 bits count: a wrap is a small step, a change above them alone is none.
        {{kRunning, 1234, 0x1FFFFFF00, L"Running", 1234, 0},
         {kRunning, 1234, 0x200000100, L"Running", 1234, 0.00512f},
         {kRunning, 1234, 0x300000100, L"Running", 1234, 0}},
        // The share starts at zero with no earlier sample, after a restart whose measurement failed, and in
        // a new process after a stop, also one with the old id; a stopped line stays short.
        {{SERVICE_START_PENDING, 0, 0, L"Starting", 0, 0},
         {kRunning, 1234, 50000000, L"Running", 1234, 0},
         {kRunning, 1234, 50500000, L"Running", 1234, 5},
         {kRunning, 777, 90000000, L"Running", 1234, 5, Call::OpenProcess, FALSE, TRUE, 60 * kSecond},
         {kRunning, 1234, 91000000, L"Running", 1234, 0},
         {kRunning, 1234, 92000000, L"Running", 1234, 10},
         {SERVICE_STOPPED, 0, 0, L"Stopped", 0, 0, {}, TRUE},
         {kRunning, 4343, 300000, L"Running", 4343, 0, {}, TRUE},
         {kRunning, 4343, 1300000, L"Running", 4343, 10, {}, TRUE},
         {kRunning, 4343, 200000, L"Running", 4343, 0, {}, TRUE, FALSE, kSecond, 1}},
        // Refused its process, or its counters, a line takes them from the list, found by id; another creation time
        // starts the share afresh there too. The list is read up to 64 MB (262144 records): longer than the second
        // buffer, and at the limit, but not beyond. The state comes before the process; where neither source tells,
        // the figures stay, though unreadable times still let the new working set through.
        {{kRunning, 1234, 1000000, L"Running", 2468, 0, Call::OpenProcess},
         {kRunning, 1234, 1500000, L"Running", 2468, 5, Call::OpenProcess},
         {kRunning, 1234, 2500000, L"Running", 1234, 10, Call::GetProcessTimes},
         {kRunning, 1234, 4500000, L"Running", 2468, 0, Call::OpenProcess, FALSE, FALSE, kSecond, 7},
         {kRunning, 1234, 5500000, L"Running", 2468, 10, Call::GetProcessMemoryInfo, FALSE, FALSE, kSecond, 7},
         {kRunning, 1234, 6000000, L"Running", 2468, 5, Call::OpenProcess, FALSE, FALSE, kSecond, 7, 4500},
         {kRunning, 1234, 7000000, L"Running", 2468, 10, Call::OpenProcess, FALSE, FALSE, kSecond, 7, 262144},
         {kRunning, 1234, 9000000, L"Running", 2468, 10, Call::OpenProcess, FALSE, FALSE, kSecond, 7, 262145},
         {SERVICE_PAUSED, 777, 9000000, L"Paused", 2468, 10, Call::OpenProcess},
         {SERVICE_PAUSED, 777, 9000000, L"Paused", 2468, 10, Call::GetProcessMemoryInfo},
         {SERVICE_PAUSED, 777, 9000000, L"Paused", 777, 10, Call::GetProcessTimes},
         {SERVICE_STOPPED, 0, 0, L"Paused", 777, 10, Call::QueryServiceStatusEx}},
        // A handle telling this program's times leaves the share to the list, the working set not, for one process
        // and the next.
        {{kRunning, 555, 1000000, L"Running", 555, 0},
         {kRunning, 555, 1500000, L"Running", 555, 5},
         {kRunning, 555, 2500000, L"Running", 555, 10},
         {kRunning, 555, 2600000, L"Running", 555, 0, {}, FALSE, FALSE, kSecond, 7},
         {kRunning, 555, 3600000, L"Running", 555, 10, {}, FALSE, FALSE, kSecond, 7}},
        // A pending service's process is measured; continue and pause pending share the text of unknown codes.
        {{SERVICE_STOP_PENDING, 1234, 0, L"Stopping", 1234, 0},
         {SERVICE_PAUSE_PENDING, 1234, 0, L"Unknown", 1234, 0},
         {SERVICE_CONTINUE_PENDING, 1234, 0, L"Unknown", 1234, 0},
         {99, 1234, 0, L"Unknown", 1234, 0}}};
    for (const auto &steps : scenarios)
        Run(steps);
}

TEST_F(ScriptedService, SharedProcessesAndRemoteServersAreLeftUnmeasured)
{
    // Own process, interactive, per-user and per-user instance; a shared service alone in its host, as Windows 10 runs
    // it, reports both process bits, also per-user; then shared, and the same with those bits.
    const struct {
        DWORD type;
        BOOL local;
        bool measured;
    } rows[] = {{0x10, TRUE, true},  {0x110, TRUE, true}, {0x50, TRUE, true},   {0xD0, TRUE, true},
                {0x30, TRUE, true},  {0x70, TRUE, true},  {0xF0, TRUE, true},   {0x20, TRUE, false},
                {0x60, TRUE, false}, {0xE0, TRUE, false}, {0x120, TRUE, false}, {0x10, FALSE, false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << row.type << " local " << row.local);
        m_type = row.type;
        const DWORD memory = row.measured ? 1234 : 0;
        const float cpu = row.measured ? 25.0f : 0.0f;
        Run({{kRunning, 1234, 0, L"Running", memory, 0, {}, !row.measured},
             {kRunning, 1234, 2500000, L"Running", memory, cpu, {}, !row.measured}}, row.local);
    }
}

TEST(MonitoredService, ConfigurationLargerThanTheFirstTryIsFetchedOnceAtItsReportedSizeAndEmptyServerNamesRefused)
{
    static const std::wstring kLongName(1000, L'\u00e9');
    const DWORD needed = sizeof(QUERY_SERVICE_CONFIGW) + (kLongName.size() + 1) * sizeof(wchar_t);
    FakeServiceApi seam;
    std::vector<DWORD> sizes;
    seam.openService = [](SC_HANDLE, LPCWSTR, DWORD) { return FakeServiceApi::FakeService(); };
    // The second service's configuration grows between the two tries.
    seam.queryServiceConfig = [&](LPQUERY_SERVICE_CONFIGW config, DWORD size, LPDWORD reported) {
        sizes.push_back(size);
        *reported = needed + (sizes.size() > 2 ? 256 * static_cast<DWORD>(sizes.size() - 2) : 0);
        if (size < *reported) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        config->lpDisplayName = reinterpret_cast<wchar_t *>(config + 1);
        std::wmemcpy(config->lpDisplayName, kLongName.c_str(), kLongName.size() + 1);
        return TRUE;
    };
    CMonitoredService service, growing;
    EXPECT_TRUE(service.Open(FakeServiceApi::FakeManager(), L"Huge"));
    EXPECT_EQ(std::wstring(service.m_displayName), kLongName);
    EXPECT_TRUE(growing.Open(FakeServiceApi::FakeManager(), L"Growing"));
    EXPECT_TRUE(growing.m_displayName.IsEmpty());
    EXPECT_EQ(sizes, (std::vector<DWORD>{256, needed, 256, needed + 256}));
    // The server name is the one setter with a rule: an empty name is refused.
    EXPECT_TRUE(service.SetServerName(L"SRV1"));
    EXPECT_FALSE(service.SetServerName(L""));
    EXPECT_FALSE(service.SetServerName(nullptr));
    EXPECT_EQ(service.m_server, L"SRV1");
}

} // namespace
