#pragma once

#include "monitor/ServiceApi.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

// Swaps the monitor's platform table while alive: counts the handles that pass through, and lets a
// test script the calls whose results Wine cannot produce. An unscripted call reaches the platform.
class FakeServiceApi {
public:
    FakeServiceApi();
    ~FakeServiceApi();
    FakeServiceApi(const FakeServiceApi &) = delete;
    FakeServiceApi &operator=(const FakeServiceApi &) = delete;

    // The table's entries a test can fail, in its order. Closes never fail: a failed close leaves the caller nothing
    // to do.
    enum class Call {
        OpenSCManager,
        EnumServicesStatus,
        OpenService,
        QueryServiceConfig,
        QueryServiceStatusEx,
        OpenProcess,
        GetProcessTimes,
        GetProcessMemoryInfo,
        QueryProcessList
    };

    // Handles the scripts hand out; the platform never sees them.
    static SC_HANDLE FakeManager() { return reinterpret_cast<SC_HANDLE>(0x5C0001); }
    static SC_HANDLE FakeService() { return reinterpret_cast<SC_HANDLE>(0x5C0002); }
    static HANDLE FakeProcess() { return reinterpret_cast<HANDLE>(0x5C0003); }

    // A server whose manager cannot be reached, in any letter case (Wine opens its own for any name); none when
    // empty.
    std::wstring unreachable;
    std::function<SC_HANDLE(SC_HANDLE, LPCWSTR, DWORD)> openService;
    std::function<BOOL(LPQUERY_SERVICE_CONFIGW, DWORD, LPDWORD)> queryServiceConfig;
    std::function<BOOL(SERVICE_STATUS_PROCESS &)> queryServiceStatusEx;
    std::function<HANDLE(DWORD)> openProcess;
    std::function<BOOL(PROCESS_MEMORY_COUNTERS &)> getProcessMemoryInfo;
    // Scripted, this program's own times read as none at all.
    std::function<BOOL(FILETIME &creation, FILETIME &kernel, FILETIME &user)> getProcessTimes;
    // Laid out as the system lays out its list; a buffer too short is refused without the size needed.
    std::function<std::vector<SYSTEM_PROCESS_INFORMATION>()> processList;
    std::function<ULONGLONG()> clock;
    // Asked first by every entry of Call, with the handle the call is given (null when it takes none): a non-zero
    // error fails the call with that last-error code before any script or the platform sees it.
    std::function<DWORD(Call call, HANDLE handle)> fault;

    // The machines whose managers were asked for ("" for this one), and the buffer size of every enumeration.
    std::vector<std::wstring> machines;
    std::vector<DWORD> enumSizes;
    // The handles still open (services by the key name each was opened for), and closes of handles not open, of
    // every kind.
    int strayCloses = 0;
    std::set<SC_HANDLE> openManagers;
    std::map<SC_HANDLE, std::wstring> openServices;
    std::set<HANDLE> openProcesses;
};
