#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One own-process service installed from the probe program for a test, stopped and removed when destroyed.
class ProbeService {
public:
    ProbeService(const std::wstring &name, const std::wstring &displayName);
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
