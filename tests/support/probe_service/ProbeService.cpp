#include "ProbeService.h"

#include "tests/driver/UiDriver.h"

namespace {

// The probe program beside the running executable.
std::wstring ProbePath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring result = path;
    result.erase(result.find_last_of(L'\\') + 1);
    return result + L"probe_service.exe";
}

} // namespace

ProbeService::ProbeService(const std::wstring &name, const std::wstring &displayName,
                           const std::vector<std::wstring> &host)
    : m_name(name)
{
    const SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    std::wstring command = L"\"" + ProbePath() + L"\"";
    for (const std::wstring &hosted : host.empty() ? std::vector<std::wstring>{name} : host)
        command += L" " + hosted;
    const DWORD type = host.empty() ? SERVICE_WIN32_OWN_PROCESS : SERVICE_WIN32_SHARE_PROCESS;
    m_service = CreateServiceW(manager, name.c_str(), displayName.c_str(), SERVICE_ALL_ACCESS, type,
                               SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, command.c_str(), nullptr, nullptr, nullptr,
                               nullptr, nullptr);
    if (m_service == nullptr && GetLastError() == ERROR_SERVICE_EXISTS)
        m_service = OpenServiceW(manager, name.c_str(), SERVICE_ALL_ACCESS);
    // The service handle outlives the manager it came from.
    CloseServiceHandle(manager);
}

SERVICE_STATUS_PROCESS ProbeService::Status()
{
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    // A probe that was never installed, or is removed, stays all zeros.
    QueryServiceStatusEx(m_service, SC_STATUS_PROCESS_INFO, reinterpret_cast<LPBYTE>(&status), sizeof(status), &needed);
    return status;
}

bool ProbeService::WaitForState(DWORD state, DWORD timeoutMs)
{
    return UiDriver::WaitFor([&] { return Status().dwCurrentState == state; }, timeoutMs, 20);
}

bool ProbeService::Start(const std::vector<std::wstring> &arguments, DWORD awaitedState)
{
    std::vector<LPCWSTR> argv;
    for (const std::wstring &argument : arguments)
        argv.push_back(argument.c_str());
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (StartServiceW(m_service, static_cast<DWORD>(argv.size()), argv.empty() ? nullptr : argv.data()) ||
            GetLastError() == ERROR_SERVICE_ALREADY_RUNNING)
            return WaitForState(awaitedState);
        Sleep(2000);
    }
    return false;
}

bool ProbeService::Control(DWORD control, DWORD awaitedState)
{
    SERVICE_STATUS status = {};
    return ControlService(m_service, control, &status) && WaitForState(awaitedState);
}

bool ProbeService::Remove()
{
    const SERVICE_STATUS_PROCESS status = Status();
    if (status.dwCurrentState != SERVICE_STOPPED && status.dwCurrentState != 0) {
        SERVICE_STATUS ignored = {};
        // A probe held in a pending state takes no control: its process goes instead.
        if (!ControlService(m_service, SERVICE_CONTROL_STOP, &ignored) || !WaitForState(SERVICE_STOPPED, 5000)) {
            if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, status.dwProcessId)) {
                TerminateProcess(process, 1);
                CloseHandle(process);
            }
            WaitForState(SERVICE_STOPPED);
        }
    }
    const bool deleted = DeleteService(m_service) != FALSE;
    CloseServiceHandle(m_service);
    m_service = nullptr;
    return deleted;
}
