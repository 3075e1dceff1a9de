// A Windows service for tests: real states and held pending states. Command line: the names of the
// services this process hosts (one for an own-process service, several for a shared process). Start
// arguments, each optional: hold-start=MS hold-stop=MS hold-pause=MS hold-continue=MS.

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Probe {
    std::wstring name;
    SERVICE_STATUS_HANDLE statusHandle = nullptr;
    SERVICE_STATUS status = {};
    CRITICAL_SECTION lock;
    HANDLE controlEvent = nullptr;
    volatile LONG pendingControl = 0;
    DWORD holdStart = 0, holdStop = 0, holdPause = 0, holdContinue = 0;
};

std::vector<Probe *> g_probes;

void Report(Probe &probe, DWORD state)
{
    EnterCriticalSection(&probe.lock);
    probe.status.dwServiceType = g_probes.size() > 1 ? SERVICE_WIN32_SHARE_PROCESS : SERVICE_WIN32_OWN_PROCESS;
    probe.status.dwCurrentState = state;
    probe.status.dwControlsAccepted =
        (state == SERVICE_RUNNING || state == SERVICE_PAUSED) ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE : 0;
    probe.status.dwWin32ExitCode = NO_ERROR;
    probe.status.dwWaitHint = 30000;
    ++probe.status.dwCheckPoint;
    SetServiceStatus(probe.statusHandle, &probe.status);
    LeaveCriticalSection(&probe.lock);
}

void ParseArgument(Probe &probe, const wchar_t *argument)
{
    const wchar_t *equals = std::wcschr(argument, L'=');
    if (equals == nullptr)
        return;
    const std::wstring key(argument, equals);
    const unsigned long long value = std::wcstoull(equals + 1, nullptr, 10);
    if (key == L"hold-start")
        probe.holdStart = static_cast<DWORD>(value);
    else if (key == L"hold-stop")
        probe.holdStop = static_cast<DWORD>(value);
    else if (key == L"hold-pause")
        probe.holdPause = static_cast<DWORD>(value);
    else if (key == L"hold-continue")
        probe.holdContinue = static_cast<DWORD>(value);
}

DWORD WINAPI Handler(DWORD control, DWORD, LPVOID, LPVOID context)
{
    Probe &probe = *static_cast<Probe *>(context);
    switch (control) {
    case SERVICE_CONTROL_STOP:
        Report(probe, SERVICE_STOP_PENDING);
        break;
    case SERVICE_CONTROL_PAUSE:
        Report(probe, SERVICE_PAUSE_PENDING);
        break;
    case SERVICE_CONTROL_CONTINUE:
        Report(probe, SERVICE_CONTINUE_PENDING);
        break;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;

    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
    InterlockedExchange(&probe.pendingControl, static_cast<LONG>(control));
    SetEvent(probe.controlEvent);
    return NO_ERROR;
}

Probe *FindProbe(const wchar_t *name)
{
    for (Probe *probe : g_probes)
        if (name != nullptr && lstrcmpiW(probe->name.c_str(), name) == 0)
            return probe;
    // An own-process service may be started under any name.
    return g_probes.size() == 1 ? g_probes[0] : nullptr;
}

void WINAPI ServiceMain(DWORD argc, LPWSTR *argv)
{
    Probe *found = FindProbe(argc > 0 ? argv[0] : nullptr);
    if (found == nullptr)
        return;
    Probe &probe = *found;
    for (DWORD i = 1; i < argc; ++i)
        ParseArgument(probe, argv[i]);
    probe.statusHandle = RegisterServiceCtrlHandlerExW(probe.name.c_str(), Handler, &probe);
    if (probe.statusHandle == nullptr)
        return;
    Report(probe, SERVICE_START_PENDING);
    probe.controlEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    Sleep(probe.holdStart);
    Report(probe, SERVICE_RUNNING);

    while (WaitForSingleObject(probe.controlEvent, INFINITE) == WAIT_OBJECT_0) {
        const LONG control = InterlockedExchange(&probe.pendingControl, 0);
        if (control == SERVICE_CONTROL_STOP) {
            Sleep(probe.holdStop);
            break;
        }
        if (control == SERVICE_CONTROL_PAUSE) {
            Sleep(probe.holdPause);
            Report(probe, SERVICE_PAUSED);
        } else if (control == SERVICE_CONTROL_CONTINUE) {
            Sleep(probe.holdContinue);
            Report(probe, SERVICE_RUNNING);
        }
    }
    CloseHandle(probe.controlEvent);
    Report(probe, SERVICE_STOPPED);
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc < 2)
        return 2;
    std::vector<SERVICE_TABLE_ENTRYW> table;
    for (int i = 1; i < argc; ++i) {
        auto *probe = new Probe;
        probe->name = argv[i];
        InitializeCriticalSection(&probe->lock);
        g_probes.push_back(probe);
    }
    for (Probe *probe : g_probes)
        table.push_back({const_cast<LPWSTR>(probe->name.c_str()), ServiceMain});
    table.push_back({nullptr, nullptr});
    return StartServiceCtrlDispatcherW(table.data()) ? 0 : 1;
}
