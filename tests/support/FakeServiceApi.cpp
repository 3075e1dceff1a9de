#include "FakeServiceApi.h"

namespace {

FakeServiceApi *s_active = nullptr;
using Call = FakeServiceApi::Call;

// True when the test's fault function fails this call; the last error is then set.
bool Faulted(Call call, HANDLE handle)
{
    const DWORD error = s_active->fault ? s_active->fault(call, handle) : 0;
    if (error != 0)
        SetLastError(error);
    return error != 0;
}

SC_HANDLE WINAPI OpenSCManagerHook(LPCWSTR machine, LPCWSTR database, DWORD access)
{
    if (Faulted(Call::OpenSCManager, nullptr))
        return nullptr;
    s_active->machines.push_back(machine != nullptr ? machine : L"");
    const std::wstring &unreachable = s_active->unreachable;
    if (machine != nullptr && !unreachable.empty() && lstrcmpiW(machine, unreachable.c_str()) == 0) {
        SetLastError(RPC_S_SERVER_UNAVAILABLE);
        return nullptr;
    }
    const SC_HANDLE manager = RealServiceApi().openSCManager(machine, database, access);
    if (manager != nullptr)
        s_active->openManagers.insert(manager);
    return manager;
}

BOOL WINAPI EnumHook(SC_HANDLE manager, DWORD type, DWORD state, LPENUM_SERVICE_STATUSW buffer, DWORD size,
                     LPDWORD needed, LPDWORD count, LPDWORD resume)
{
    if (Faulted(Call::EnumServicesStatus, manager))
        return FALSE;
    s_active->enumSizes.push_back(size);
    return RealServiceApi().enumServicesStatus(manager, type, state, buffer, size, needed, count, resume);
}

SC_HANDLE WINAPI OpenServiceHook(SC_HANDLE manager, LPCWSTR name, DWORD access)
{
    if (Faulted(Call::OpenService, manager))
        return nullptr;
    const SC_HANDLE service = s_active->openService ? s_active->openService(manager, name, access)
                                                    : RealServiceApi().openService(manager, name, access);
    if (service != nullptr)
        s_active->openServices[service] = name;
    return service;
}

BOOL WINAPI ConfigHook(SC_HANDLE service, LPQUERY_SERVICE_CONFIGW config, DWORD size, LPDWORD needed)
{
    return !Faulted(Call::QueryServiceConfig, service) &&
           (s_active->queryServiceConfig ? s_active->queryServiceConfig(config, size, needed)
                                         : RealServiceApi().queryServiceConfig(service, config, size, needed));
}

BOOL WINAPI StatusHook(SC_HANDLE service, SC_STATUS_TYPE level, LPBYTE buffer, DWORD size, LPDWORD needed)
{
    if (Faulted(Call::QueryServiceStatusEx, service))
        return FALSE;
    if (!s_active->queryServiceStatusEx || size < sizeof(SERVICE_STATUS_PROCESS))
        return RealServiceApi().queryServiceStatusEx(service, level, buffer, size, needed);
    *needed = sizeof(SERVICE_STATUS_PROCESS);
    return s_active->queryServiceStatusEx(*reinterpret_cast<SERVICE_STATUS_PROCESS *>(buffer));
}

BOOL WINAPI CloseServiceHandleHook(SC_HANDLE handle)
{
    if (s_active->openServices.erase(handle) + s_active->openManagers.erase(handle) == 0) {
        ++s_active->strayCloses;
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return handle == FakeServiceApi::FakeService() || RealServiceApi().closeServiceHandle(handle);
}

HANDLE WINAPI OpenProcessHook(DWORD access, BOOL inherit, DWORD processId)
{
    if (Faulted(Call::OpenProcess, nullptr))
        return nullptr;
    const HANDLE process = s_active->openProcess ? s_active->openProcess(processId)
                                                 : RealServiceApi().openProcess(access, inherit, processId);
    if (process != nullptr)
        s_active->openProcesses.insert(process);
    return process;
}

BOOL WINAPI TimesHook(HANDLE process, LPFILETIME creation, LPFILETIME exit, LPFILETIME kernel, LPFILETIME user)
{
    *creation = *kernel = *user = {};
    return !Faulted(Call::GetProcessTimes, process) &&
           (!s_active->getProcessTimes
                ? RealServiceApi().getProcessTimes(process, creation, exit, kernel, user)
                : process == GetCurrentProcess() || s_active->getProcessTimes(*creation, *kernel, *user));
}

BOOL WINAPI MemoryHook(HANDLE process, PPROCESS_MEMORY_COUNTERS counters, DWORD size)
{
    return !Faulted(Call::GetProcessMemoryInfo, process) &&
           (s_active->getProcessMemoryInfo ? s_active->getProcessMemoryInfo(*counters)
                                           : RealServiceApi().getProcessMemoryInfo(process, counters, size));
}

NTSTATUS WINAPI ProcessListHook(PVOID buffer, ULONG size, PULONG returned)
{
    if (Faulted(Call::QueryProcessList, nullptr))
        return static_cast<NTSTATUS>(STATUS_INVALID_HANDLE);
    if (!s_active->processList)
        return RealServiceApi().queryProcessList(buffer, size, returned);
    auto records = s_active->processList();
    const ULONG bytes = static_cast<ULONG>(records.size() * sizeof(records[0]));
    *returned = bytes > size ? 0 : bytes;
    if (bytes > size)
        return kStatusInfoLengthMismatch;
    for (size_t i = 0; i + 1 < records.size(); ++i)
        records[i].NextEntryOffset = sizeof(records[i]);
    CopyMemory(buffer, records.data(), bytes);
    return 0;
}

BOOL WINAPI CloseHandleHook(HANDLE handle)
{
    if (s_active->openProcesses.erase(handle) == 0) {
        ++s_active->strayCloses;
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return handle == FakeServiceApi::FakeProcess() || RealServiceApi().closeHandle(handle);
}

ULONGLONG WINAPI ClockHook()
{
    return s_active->clock ? s_active->clock() : RealServiceApi().monotonicTime();
}

} // namespace

FakeServiceApi::FakeServiceApi()
{
    s_active = this;
    // Name look-ups go straight to the platform: no test needs them to fail.
    const auto displayName = RealServiceApi().getServiceDisplayName, keyName = RealServiceApi().getServiceKeyName;
    CurrentServiceApi() = {
        OpenSCManagerHook,      EnumHook,        displayName, keyName,    OpenServiceHook, ConfigHook,      StatusHook,
        CloseServiceHandleHook, OpenProcessHook, TimesHook,   MemoryHook, CloseHandleHook, ProcessListHook, ClockHook};
}

FakeServiceApi::~FakeServiceApi()
{
    CurrentServiceApi() = RealServiceApi();
    s_active = nullptr;
}
