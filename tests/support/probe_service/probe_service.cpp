// A Windows service for tests and benchmarks that really starts, pauses, continues and stops. Command
// line: the names of the services this process hosts (several for a shared process). Start argument:
// hold-start=MS keeps the service starting that long; burn=MS keeps a processor busy that long once it runs.

#include <windows.h>

#include <cwchar>
#include <vector>

namespace {

DWORD g_type = SERVICE_WIN32_OWN_PROCESS;

struct Probe {
    SERVICE_STATUS_HANDLE handle = nullptr;
    SERVICE_STATUS status = {g_type, 0, 0, NO_ERROR, 0, 0, 30000};
    // Stays set once set, so a busy service can look for it and still find it set afterwards.
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

// A pending state accepts no control, so the handler and the service's own thread never report at once.
void Report(Probe &probe, DWORD state)
{
    probe.status.dwCurrentState = state;
    probe.status.dwControlsAccepted =
        state == SERVICE_RUNNING || state == SERVICE_PAUSED ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE : 0;
    SetServiceStatus(probe.handle, &probe.status);
}

DWORD WINAPI Handler(DWORD control, DWORD, LPVOID, LPVOID context)
{
    Probe &probe = *static_cast<Probe *>(context);
    if (control == SERVICE_CONTROL_STOP) {
        Report(probe, SERVICE_STOP_PENDING);
        SetEvent(probe.stop);
    } else if (control == SERVICE_CONTROL_PAUSE || control == SERVICE_CONTROL_CONTINUE) {
        Report(probe, control == SERVICE_CONTROL_PAUSE ? SERVICE_PAUSED : SERVICE_RUNNING);
    } else if (control != SERVICE_CONTROL_INTERROGATE) {
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
    return NO_ERROR;
}

void WINAPI ServiceMain(DWORD argc, LPWSTR *argv)
{
    Probe probe;
    probe.handle = RegisterServiceCtrlHandlerExW(argv[0], Handler, &probe);
    if (probe.handle == nullptr)
        return;
    Report(probe, SERVICE_START_PENDING);
    if (argc > 1 && std::wcsncmp(argv[1], L"hold-start=", 11) == 0)
        Sleep(std::wcstoul(argv[1] + 11, nullptr, 10));
    Report(probe, SERVICE_RUNNING);
    // Busy, the service still looks for its stop every 20 ms.
    const DWORD burnMs =
        argc > 1 && std::wcsncmp(argv[1], L"burn=", 5) == 0 ? std::wcstoul(argv[1] + 5, nullptr, 10) : 0;
    for (const DWORD start = GetTickCount();
         GetTickCount() - start < burnMs && WaitForSingleObject(probe.stop, 0) == WAIT_TIMEOUT;)
        for (const DWORD slice = GetTickCount(); GetTickCount() - slice < 20;) {
        }
    WaitForSingleObject(probe.stop, INFINITE);
    CloseHandle(probe.stop);
    Report(probe, SERVICE_STOPPED);
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc > 2)
        g_type = SERVICE_WIN32_SHARE_PROCESS;
    std::vector<SERVICE_TABLE_ENTRYW> table;
    for (int i = 1; i < argc; ++i)
        table.push_back({argv[i], ServiceMain});
    table.push_back({nullptr, nullptr});
    return StartServiceCtrlDispatcherW(table.data()) ? 0 : 1;
}
