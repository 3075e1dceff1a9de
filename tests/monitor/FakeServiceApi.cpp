#include "FakeServiceApi.h"

FakeServiceApi *FakeServiceApi::s_active = nullptr;

FakeServiceApi::FakeServiceApi()
{
    s_active = this;
    CurrentServiceApi() = {OpenSCManagerHook, EnumHook,   DisplayNameHook, KeyNameHook,
                           OpenServiceHook,   ConfigHook, StatusHook,      CloseServiceHandleHook,
                           OpenProcessHook,   TimesHook,  MemoryHook,      CloseHandleHook,
                           ClockHook};
}

FakeServiceApi::~FakeServiceApi()
{
    CurrentServiceApi() = RealServiceApi();
    s_active = nullptr;
}

std::wstring FakeServiceApi::NameOf(SC_HANDLE service) const
{
    const auto found = m_services.find(service);
    return found == m_services.end() ? std::wstring() : found->second;
}

bool FakeServiceApi::Faulted(Call call, HANDLE handle)
{
    if (!s_active->fault)
        return false;
    const DWORD error = s_active->fault(call, handle);
    if (error == 0)
        return false;
    SetLastError(error);
    return true;
}

SC_HANDLE WINAPI FakeServiceApi::OpenSCManagerHook(LPCWSTR machine, LPCWSTR database, DWORD access)
{
    ++s_active->calls;
    if (Faulted(Call::OpenSCManager, nullptr))
        return nullptr;
    if (s_active->openSCManager)
        return s_active->openSCManager(machine, database, access);
    return RealServiceApi().openSCManager(machine, database, access);
}

BOOL WINAPI FakeServiceApi::EnumHook(SC_HANDLE manager, DWORD type, DWORD state, LPENUM_SERVICE_STATUSW buffer,
                                     DWORD size, LPDWORD needed, LPDWORD count, LPDWORD resume)
{
    ++s_active->calls;
    if (Faulted(Call::EnumServicesStatus, manager))
        return FALSE;
    s_active->enumSizes.push_back(size);
    if (s_active->enumServicesStatus)
        return s_active->enumServicesStatus(size, needed, count);
    return RealServiceApi().enumServicesStatus(manager, type, state, buffer, size, needed, count, resume);
}

BOOL WINAPI FakeServiceApi::DisplayNameHook(SC_HANDLE manager, LPCWSTR name, LPWSTR buffer, LPDWORD length)
{
    ++s_active->calls;
    if (Faulted(Call::GetServiceDisplayName, manager))
        return FALSE;
    return RealServiceApi().getServiceDisplayName(manager, name, buffer, length);
}

BOOL WINAPI FakeServiceApi::KeyNameHook(SC_HANDLE manager, LPCWSTR name, LPWSTR buffer, LPDWORD length)
{
    ++s_active->calls;
    if (Faulted(Call::GetServiceKeyName, manager))
        return FALSE;
    return RealServiceApi().getServiceKeyName(manager, name, buffer, length);
}

SC_HANDLE WINAPI FakeServiceApi::OpenServiceHook(SC_HANDLE manager, LPCWSTR name, DWORD access)
{
    ++s_active->calls;
    if (Faulted(Call::OpenService, manager))
        return nullptr;
    const SC_HANDLE service = s_active->openService ? s_active->openService(manager, name, access)
                                                    : RealServiceApi().openService(manager, name, access);
    if (service != nullptr) {
        ++s_active->servicesOpened;
        s_active->m_services[service] = name;
    }
    return service;
}

BOOL WINAPI FakeServiceApi::ConfigHook(SC_HANDLE service, LPQUERY_SERVICE_CONFIGW config, DWORD size, LPDWORD needed)
{
    ++s_active->calls;
    if (Faulted(Call::QueryServiceConfig, service))
        return FALSE;
    s_active->configSizes.push_back(size);
    if (s_active->queryServiceConfig)
        return s_active->queryServiceConfig(config, size, needed);
    return RealServiceApi().queryServiceConfig(service, config, size, needed);
}

BOOL WINAPI FakeServiceApi::StatusHook(SC_HANDLE service, SC_STATUS_TYPE level, LPBYTE buffer, DWORD size,
                                       LPDWORD needed)
{
    ++s_active->calls;
    if (Faulted(Call::QueryServiceStatusEx, service))
        return FALSE;
    if (s_active->queryServiceStatusEx && size >= sizeof(SERVICE_STATUS_PROCESS)) {
        *needed = sizeof(SERVICE_STATUS_PROCESS);
        return s_active->queryServiceStatusEx(*reinterpret_cast<SERVICE_STATUS_PROCESS *>(buffer));
    }
    return RealServiceApi().queryServiceStatusEx(service, level, buffer, size, needed);
}

BOOL WINAPI FakeServiceApi::CloseServiceHandleHook(SC_HANDLE handle)
{
    ++s_active->calls;
    if (Faulted(Call::CloseServiceHandle, handle))
        return FALSE;
    if (s_active->m_services.erase(handle) != 0)
        ++s_active->serviceHandlesClosed;
    else
        ++s_active->managerHandlesClosed;
    if (handle == FakeService() || handle == FakeManager())
        return TRUE;
    return RealServiceApi().closeServiceHandle(handle);
}

HANDLE WINAPI FakeServiceApi::OpenProcessHook(DWORD access, BOOL inherit, DWORD processId)
{
    ++s_active->calls;
    if (Faulted(Call::OpenProcess, nullptr))
        return nullptr;
    const HANDLE process = s_active->openProcess ? s_active->openProcess(processId)
                                                 : RealServiceApi().openProcess(access, inherit, processId);
    if (process != nullptr) {
        ++s_active->processesOpened;
        s_active->m_processes.insert(process);
    }
    return process;
}

BOOL WINAPI FakeServiceApi::TimesHook(HANDLE process, LPFILETIME creation, LPFILETIME exit, LPFILETIME kernel,
                                      LPFILETIME user)
{
    ++s_active->calls;
    if (Faulted(Call::GetProcessTimes, process))
        return FALSE;
    if (s_active->getProcessTimes)
        return s_active->getProcessTimes(*kernel, *user);
    return RealServiceApi().getProcessTimes(process, creation, exit, kernel, user);
}

BOOL WINAPI FakeServiceApi::MemoryHook(HANDLE process, PPROCESS_MEMORY_COUNTERS counters, DWORD size)
{
    ++s_active->calls;
    if (Faulted(Call::GetProcessMemoryInfo, process))
        return FALSE;
    if (s_active->getProcessMemoryInfo)
        return s_active->getProcessMemoryInfo(*counters);
    return RealServiceApi().getProcessMemoryInfo(process, counters, size);
}

BOOL WINAPI FakeServiceApi::CloseHandleHook(HANDLE handle)
{
    ++s_active->calls;
    if (Faulted(Call::CloseHandle, handle))
        return FALSE;
    if (s_active->m_processes.erase(handle) != 0)
        ++s_active->processesClosed;
    if (handle == FakeProcess())
        return TRUE;
    return RealServiceApi().closeHandle(handle);
}

ULONGLONG WINAPI FakeServiceApi::ClockHook()
{
    return s_active->clock ? s_active->clock() : RealServiceApi().monotonicTime();
}
