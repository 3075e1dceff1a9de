// Times one enumeration of all services and one refresh of a local own-process service beside the
// bare platform calls each makes, in the same run; counts and times the platform calls of a round of
// rows by kind; then the refresh whose process may not be opened, measured from the system's process
// list. Prints figures; asserts nothing.

#include "ProbeService.h"
#include "monitor/CMonitoredService.h"
#include "monitor/CServiceManager.h"
#include "monitor/ServiceApi.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>
#include <numeric>
#include <vector>

namespace {

constexpr int kInstalled = 150;
constexpr int kEnumRounds = 50;
constexpr int kRefreshRounds = 500;
// Rows of a refresh round that share one process list.
constexpr int kRoundRows = 20;

double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Work> double MicrosecondsEach(int rounds, Work work)
{
    const double start = Now();
    for (int i = 0; i < rounds; ++i)
        work();
    return (Now() - start) * 1e6 / rounds;
}

// Alternates the two sides over several passes and keeps each side's best, so warm-up and
// background noise under Wine do not favour whichever runs second.
template <typename Product, typename Bare>
void Compare(int rounds, Product product, Bare bare, double &productUs, double &bareUs)
{
    constexpr int kPasses = 5;
    productUs = bareUs = 1e300;
    for (int pass = 0; pass < kPasses; ++pass) {
        productUs = std::min(productUs, MicrosecondsEach(rounds, product));
        bareUs = std::min(bareUs, MicrosecondsEach(rounds, bare));
    }
}

// One right-sized bare enumeration, the size learnt beforehand.
void BareEnumeration(SC_HANDLE manager, std::vector<BYTE> &buffer, DWORD &count)
{
    DWORD needed = 0, resume = 0;
    count = 0;
    EnumServicesStatusW(manager, SERVICE_WIN32, SERVICE_STATE_ALL,
                        reinterpret_cast<LPENUM_SERVICE_STATUSW>(buffer.data()), static_cast<DWORD>(buffer.size()),
                        &needed, &count, &resume);
}

bool BareRefresh(SC_HANDLE service)
{
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<LPBYTE>(&status), sizeof(status), &needed);
    const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, status.dwProcessId);
    if (process == nullptr)
        return false;
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    FILETIME creation, exit, kernel, user;
    const bool measured = GetProcessMemoryInfo(process, &counters, sizeof(counters)) &&
                          GetProcessTimes(process, &creation, &exit, &kernel, &user);
    CloseHandle(process);
    return measured;
}

// Wine answers GetProcessTimes for another process with the caller's own times, which the monitor takes as
// untold and reads from the list instead; one unit more stands in for the answer Windows gives, so the
// handle path alone is timed.
BOOL WINAPI TimesAsOnWindows(HANDLE process, LPFILETIME creation, LPFILETIME exit, LPFILETIME kernel, LPFILETIME user)
{
    const BOOL read = GetProcessTimes(process, creation, exit, kernel, user);
    if (process != GetCurrentProcess())
        ++user->dwLowDateTime;
    return read;
}

// The answer a user without elevation gets for a service's process.
HANDLE WINAPI RefusedOpen(DWORD, BOOL, DWORD)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
}

// The platform calls a refresh makes, by kind, counted and timed on their way to the table they replaced.
enum { kStatus, kOpen, kMemory, kTimes, kClose, kList, kClock, kKinds };
int g_calls[kKinds];
double g_seconds[kKinds];
ServiceApi g_counted;
struct Timed {
    explicit Timed(int kind) : kind(kind), start(Now()) { ++g_calls[kind]; }
    ~Timed() { g_seconds[kind] += Now() - start; }
    int kind;
    double start;
};
BOOL WINAPI CountStatus(SC_HANDLE service, SC_STATUS_TYPE level, LPBYTE buffer, DWORD size, LPDWORD needed)
{
    const Timed timed(kStatus);
    return g_counted.queryServiceStatusEx(service, level, buffer, size, needed);
}
HANDLE WINAPI CountOpen(DWORD access, BOOL inherit, DWORD id)
{
    const Timed timed(kOpen);
    return g_counted.openProcess(access, inherit, id);
}
BOOL WINAPI CountMemory(HANDLE process, PPROCESS_MEMORY_COUNTERS counters, DWORD size)
{
    const Timed timed(kMemory);
    return g_counted.getProcessMemoryInfo(process, counters, size);
}
BOOL WINAPI CountTimes(HANDLE process, LPFILETIME creation, LPFILETIME exit, LPFILETIME kernel, LPFILETIME user)
{
    const Timed timed(kTimes);
    return g_counted.getProcessTimes(process, creation, exit, kernel, user);
}
BOOL WINAPI CountClose(HANDLE handle)
{
    const Timed timed(kClose);
    return g_counted.closeHandle(handle);
}
NTSTATUS WINAPI CountList(PVOID buffer, ULONG size, PULONG returned)
{
    const Timed timed(kList);
    return g_counted.queryProcessList(buffer, size, returned);
}
ULONGLONG WINAPI CountClock()
{
    const Timed timed(kClock);
    return g_counted.monotonicTime();
}

// Prints the calls of a round of rows sharing a list, through the table as it stands, once the rows have had a round
// to learn what they can, and the time each kind took in a round, over many.
template <typename Row> void PrintRoundCalls(const char *setting, Row row)
{
    constexpr int kRounds = 25;
    g_counted = CurrentServiceApi();
    ServiceApi &api = CurrentServiceApi();
    api.queryServiceStatusEx = CountStatus;
    api.openProcess = CountOpen;
    api.getProcessMemoryInfo = CountMemory;
    api.getProcessTimes = CountTimes;
    api.closeHandle = CountClose;
    api.queryProcessList = CountList;
    api.monotonicTime = CountClock;
    CProcessList list;
    for (int round = 0; round <= kRounds; ++round) {
        if (round <= 1) {
            std::fill(std::begin(g_calls), std::end(g_calls), 0);
            std::fill(std::begin(g_seconds), std::end(g_seconds), 0.0);
        }
        list.Reset();
        for (int i = 0; i < kRoundRows; ++i)
            row(list);
    }
    api = g_counted;
    static const char *const kNames[kKinds] = {"status", "open", "memory", "times", "close", "list", "clock"};
    std::printf("a %d-row round, %s\n ", kRoundRows, setting);
    for (int kind = 0; kind < kKinds; ++kind)
        std::printf(" %s %d in %.0f us,", kNames[kind], g_calls[kind] / kRounds, g_seconds[kind] * 1e6 / kRounds);
    std::printf(" %d calls in %.0f us\n", std::accumulate(g_calls, g_calls + kKinds, 0) / kRounds,
                std::accumulate(g_seconds, g_seconds + kKinds, 0.0) * 1e6 / kRounds);
}

// One right-sized list query.
bool BareList(std::vector<BYTE> &buffer)
{
    ULONG returned = 0;
    return RealServiceApi().queryProcessList(buffer.data(), static_cast<ULONG>(buffer.size()), &returned) >= 0;
}

} // namespace

int wmain()
{
    std::vector<std::unique_ptr<ProbeService>> installed;
    for (int i = 0; i < kInstalled; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"QvBench%03d", i);
        installed.push_back(std::make_unique<ProbeService>(name, std::wstring(L"Quorvane bench probe ") + name));
    }
    if (!installed.front()->Start()) {
        std::printf("could not start the probe service\n");
        return 1;
    }

    CServiceManager manager;
    manager.Open(nullptr, nullptr, GENERIC_READ);
    std::unique_ptr<BYTE[]> block;
    DWORD count = 0;
    manager.EnumServices(SERVICE_WIN32, SERVICE_STATE_ALL, block, count);
    DWORD needed = 0, resume = 0, bareCount = 0;
    EnumServicesStatusW(manager, SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0, &needed, &bareCount, &resume);
    std::vector<BYTE> buffer(needed);

    double enumerate = 0, bareEnumerate = 0;
    Compare(
        kEnumRounds, [&] { manager.EnumServices(SERVICE_WIN32, SERVICE_STATE_ALL, block, count); },
        [&] { BareEnumeration(manager, buffer, bareCount); }, enumerate, bareEnumerate);

    CMonitoredService service;
    service.Open(manager, installed.front()->Name().c_str());
    CurrentServiceApi().getProcessTimes = TimesAsOnWindows;
    service.Refresh(TRUE);
    const SC_HANDLE bareService = OpenServiceW(manager, installed.front()->Name().c_str(), GENERIC_READ);
    // Both sides must complete every round, or the comparison means nothing.
    int completed = 0, bareCompleted = 0;
    double refresh = 0, bareRefresh = 0;
    Compare(
        kRefreshRounds, [&] { completed += service.Refresh(FALSE); },
        [&] { bareCompleted += BareRefresh(bareService); }, refresh, bareRefresh);
    CloseServiceHandle(bareService);

    // A round's rows as Windows answers an administrator, as Wine answers anyone, and as Windows answers a user
    // without elevation; and the time of a row of the round under Wine.
    const auto row = [&service](CProcessList &list) { service.Refresh(FALSE, &list); };
    PrintRoundCalls("as Windows answers an administrator:", row);
    CurrentServiceApi().getProcessTimes = RealServiceApi().getProcessTimes;
    PrintRoundCalls("as Wine answers anyone:", row);
    double wineRow = 1e300;
    for (int pass = 0; pass < 5; ++pass)
        wineRow = std::min(wineRow, MicrosecondsEach(kRefreshRounds / kRoundRows, [&] {
                                        CProcessList list;
                                        for (int i = 0; i < kRoundRows; ++i)
                                            row(list);
                                    }) / kRoundRows);
    CurrentServiceApi().openProcess = RefusedOpen;
    PrintRoundCalls("refused the open, as Windows answers a user without elevation:", row);

    // Every row measured from the list, in rounds of rows: each refresh asking for a list of its own, or the
    // round's rows sharing one, as the drawing window's do.
    CurrentServiceApi().openProcess = RefusedOpen;
    CProcessList round;
    int listed = 0, bareListed = 0;
    double ownLists = 0, oneList = 0;
    Compare(
        kRefreshRounds / kRoundRows,
        [&] {
            for (int row = 0; row < kRoundRows; ++row)
                listed += service.Refresh(FALSE);
        },
        [&] {
            round.Reset();
            for (int row = 0; row < kRoundRows; ++row)
                listed += service.Refresh(FALSE, &round);
        },
        ownLists, oneList);
    CurrentServiceApi() = RealServiceApi();
    std::vector<BYTE> listBuffer(1 << 20);
    double bareList = 1e300;
    for (int pass = 0; pass < 5; ++pass)
        bareList = std::min(bareList, MicrosecondsEach(kRefreshRounds, [&] { bareListed += BareList(listBuffer); }));

    std::printf("services listed: %lu (bare %lu), bytes needed %lu\n", count, bareCount, needed);
    std::printf("refreshes completed: %d of %d (bare %d)\n", completed, 5 * kRefreshRounds, bareCompleted);
    std::printf("EnumServices  %10.1f us   bare EnumServicesStatusW %10.1f us   ratio %.2f\n", enumerate, bareEnumerate,
                enumerate / bareEnumerate);
    std::printf("Refresh       %10.1f us   bare status+process calls %9.1f us   ratio %.2f\n", refresh, bareRefresh,
                refresh / bareRefresh);
    std::printf("process not opened, from the list: refreshes completed %d of %d, bare list queries %d of %d\n", listed,
                10 * (kRefreshRounds / kRoundRows) * kRoundRows, bareListed, 5 * kRefreshRounds);
    std::printf("Refresh as under Wine, a row of %d sharing one list %7.1f us\n", kRoundRows, wineRow);
    std::printf("Refresh, a list each %8.1f us   a row of %d sharing one list %7.1f us   bare list query %7.1f us\n",
                ownLists / kRoundRows, kRoundRows, oneList / kRoundRows, bareList);
    return 0;
}
