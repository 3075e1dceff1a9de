#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One service installed from the probe program for a test or a benchmark, stopped and removed when destroyed: in a
// process of its own, or with host, in one shared process that runs every service host names.
class ProbeService {
public:
    ProbeService(const std::wstring &name, const std::wstring &displayName, const std::vector<std::wstring> &host = {});
    ~ProbeService() { Remove(); }
    ProbeService(const ProbeService &) = delete;
    ProbeService &operator=(const ProbeService &) = delete;

    bool Installed() const { return m_service != nullptr; }
    const std::wstring &Name() const { return m_name; }
    // Retries, since a fresh prefix often refuses the first start of a new service.
    bool Start(const std::vector<std::wstring> &arguments = {}, DWORD awaitedState = SERVICE_RUNNING);
    bool Control(DWORD control, DWORD awaitedState);
    bool WaitForState(DWORD state, DWORD timeoutMs = 20000);
    SERVICE_STATUS_PROCESS Status();
    bool Remove();

private:
    std::wstring m_name;
    SC_HANDLE m_service = nullptr;
};
