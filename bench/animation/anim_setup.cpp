// Prepares the bench prefix. "services OWN TOTAL": installs and starts OWN own-process probe services
// (QvAnim000..) and then shared-process ones until TOTAL Win32 services are active, then waits until killed:
// the wineserver ends every service once no program of the prefix is left. "rows N": saves the saver's row
// count. "saved N": saves the first N probes, own-process ones first, as the monitored list; "clear" removes
// the list. "count": prints the active Win32 services. "churn N MS": every MS ms pauses the next of the first
// N probes, or continues it when paused, in turn, until killed.

#include "tests/driver/UiDriver.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t kSettingsKey[] = L"Software\\Zentrix\\ScreenSaver\\Quorvane Screen Saver";

DWORD ActiveServices()
{
    const SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE);
    if (manager == nullptr)
        return 0;
    DWORD needed = 0, count = 0, resume = 0;
    EnumServicesStatusW(manager, SERVICE_WIN32, SERVICE_ACTIVE, nullptr, 0, &needed, &count, &resume);
    std::vector<BYTE> buffer(needed + 1024);
    count = resume = 0;
    EnumServicesStatusW(manager, SERVICE_WIN32, SERVICE_ACTIVE, reinterpret_cast<LPENUM_SERVICE_STATUSW>(buffer.data()),
                        static_cast<DWORD>(buffer.size()), &needed, &count, &resume);
    CloseServiceHandle(manager);
    return count;
}

std::wstring ProbePath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring result = path;
    result.erase(result.find_last_of(L'\\') + 1);
    return result + L"probe_service.exe";
}

bool WaitRunning(SC_HANDLE service, DWORD timeoutMs)
{
    SERVICE_STATUS status = {};
    return UiDriver::WaitFor(
        [&] { return QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING; }, timeoutMs,
        20);
}

// A freshly booted prefix often refuses the first start of a new service; a later one succeeds.
bool StartWithRetry(SC_HANDLE service)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (StartServiceW(service, 0, nullptr) || GetLastError() == ERROR_SERVICE_ALREADY_RUNNING)
            return WaitRunning(service, 20000);
        Sleep(2000);
    }
    return false;
}

SC_HANDLE CreateProbe(SC_HANDLE manager, const std::wstring& name, DWORD type, const std::wstring& command)
{
    const std::wstring display = L"Quorvane animation probe " + name.substr(6);
    SC_HANDLE service =
        CreateServiceW(manager, name.c_str(), display.c_str(), SERVICE_ALL_ACCESS, type, SERVICE_DEMAND_START,
                       SERVICE_ERROR_IGNORE, command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    if (service == nullptr && GetLastError() == ERROR_SERVICE_EXISTS)
        service = OpenServiceW(manager, name.c_str(), SERVICE_ALL_ACCESS);
    return service;
}

std::wstring ProbeName(int index)
{
    wchar_t name[32];
    swprintf(name, 32, L"QvAnim%03d", index);
    return name;
}

int InstallServices(int own, int total)
{
    const int before = static_cast<int>(ActiveServices());
    const int shared = total - before - own > 0 ? total - before - own : 0;
    const SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) {
        std::printf("no service manager (error %lu)\n", GetLastError());
        return 1;
    }
    const std::wstring probe = L"\"" + ProbePath() + L"\"";
    std::wstring sharedCommand = probe;
    for (int i = own; i < own + shared; ++i)
        sharedCommand += L" " + ProbeName(i);
    int started = 0;
    for (int i = 0; i < own + shared; ++i) {
        const std::wstring name = ProbeName(i);
        const SC_HANDLE service =
            i < own ? CreateProbe(manager, name, SERVICE_WIN32_OWN_PROCESS, probe + L" " + name)
                    : CreateProbe(manager, name, SERVICE_WIN32_SHARE_PROCESS, sharedCommand);
        if (service == nullptr)
            continue;
        started += StartWithRetry(service);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    std::printf("probe services started: %d of %d (%d own-process); active Win32 services: %lu (before %d)\n", started,
                own + shared, own, ActiveServices(), before);
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}

int SaveRows(DWORD rows)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return 1;
    const LONG result =
        RegSetValueExW(key, L"ServicesCount", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&rows), sizeof(rows));
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 0 : 1;
}

// A REG_MULTI_SZ value: each string with its NUL, then one more NUL.
LONG SetList(HKEY key, const wchar_t* value, const std::vector<std::wstring>& items)
{
    std::wstring data;
    for (const std::wstring& item : items)
        data += item + L'\0';
    data += L'\0';
    return RegSetValueExW(key, value, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() * sizeof(wchar_t)));
}

int SaveList(int count)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return 1;
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(computer, &length);
    std::vector<std::wstring> services, servers;
    for (int i = 0; i < count; ++i) {
        services.push_back(ProbeName(i));
        servers.push_back(computer);
    }
    LONG result = ERROR_SUCCESS;
    if (count > 0) {
        result = SetList(key, L"SavedServices", services);
        if (result == ERROR_SUCCESS)
            result = SetList(key, L"SavedServers", servers);
    } else {
        RegDeleteValueW(key, L"SavedServices");
        RegDeleteValueW(key, L"SavedServers");
    }
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 0 : 1;
}

// Paused and running lines differ in colour and text, so each change makes the saver render the line again.
int Churn(int count, DWORD intervalMs)
{
    const SC_HANDLE manager = count > 0 ? OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT) : nullptr;
    if (manager == nullptr)
        return 1;
    for (int i = 0;; i = (i + 1) % count) {
        Sleep(intervalMs);
        const SC_HANDLE service =
            OpenServiceW(manager, ProbeName(i).c_str(), SERVICE_QUERY_STATUS | SERVICE_PAUSE_CONTINUE);
        if (service == nullptr)
            continue;
        SERVICE_STATUS status = {};
        if (QueryServiceStatus(service, &status))
            ControlService(service,
                           status.dwCurrentState == SERVICE_PAUSED ? SERVICE_CONTROL_CONTINUE : SERVICE_CONTROL_PAUSE,
                           &status);
        CloseServiceHandle(service);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc > 3 && wcscmp(argv[1], L"services") == 0)
        return InstallServices(_wtoi(argv[2]), _wtoi(argv[3]));
    if (argc > 2 && wcscmp(argv[1], L"saved") == 0)
        return SaveList(_wtoi(argv[2]));
    if (argc > 1 && wcscmp(argv[1], L"clear") == 0)
        return SaveList(0);
    if (argc > 2 && wcscmp(argv[1], L"rows") == 0)
        return SaveRows(static_cast<DWORD>(_wtoi(argv[2])));
    if (argc > 1 && wcscmp(argv[1], L"count") == 0) {
        std::printf("active Win32 services: %lu\n", ActiveServices());
        return 0;
    }
    if (argc > 3 && wcscmp(argv[1], L"churn") == 0)
        return Churn(_wtoi(argv[2]), static_cast<DWORD>(_wtoi(argv[3])));
    std::printf("usage: anim_setup services OWN TOTAL | rows N | saved N | clear | count | churn N MS\n");
    return 2;
}
