// A Windows service for tests: real states, held pending states, and a known processor-time burn and
// working-set growth on request. Command line: the names of the services this process hosts (one for
// an own-process service, several for a shared process). Start arguments, each optional:
// hold-start=MS hold-stop=MS hold-pause=MS hold-continue=MS burn=UNITS grow=BYTES.
// Requests are named events "Global\probe.NAME.burn" and "Global\probe.NAME.grow"; each answers by
// setting "Global\probe.NAME.done".

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
    HANDLE burnEvent = nullptr;
    HANDLE growEvent = nullptr;
    HANDLE doneEvent = nullptr;
    volatile LONG pendingControl = 0;
    DWORD holdStart = 0, holdStop = 0, holdPause = 0, holdContinue = 0;
    ULONGLONG burnUnits = 2500000;
    SIZE_T growBytes = 16 * 1024 * 1024;
    std::vector<void *> grown;
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

ULONGLONG OwnProcessTime()
{
    FILETIME creation, exit, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user);
    const auto value = [](const FILETIME &t) {
        return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return value(kernel) + value(user);
}

// Spins until this process has been charged the given processor time.
void Burn(ULONGLONG units)
{
    const ULONGLONG start = OwnProcessTime();
    volatile unsigned sink = 0;
    while (OwnProcessTime() - start < units)
        for (int i = 0; i < 100000; ++i)
            sink = sink * 1664525u + 1013904223u;
}

void Grow(Probe &probe)
{
    void *block = VirtualAlloc(nullptr, probe.growBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (block == nullptr)
        return;
    // Touching every page makes it part of the working set.
    for (SIZE_T offset = 0; offset < probe.growBytes; offset += 4096)
        static_cast<volatile char *>(block)[offset] = 1;
    probe.grown.push_back(block);
}

HANDLE NamedEvent(const Probe &probe, const wchar_t *what, BOOL manualReset)
{
    const std::wstring name = L"Global\\probe." + probe.name + L"." + what;
    return CreateEventW(nullptr, manualReset, FALSE, name.c_str());
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
    else if (key == L"burn")
        probe.burnUnits = value;
    else if (key == L"grow")
        probe.growBytes = static_cast<SIZE_T>(value);
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
    probe.burnEvent = NamedEvent(probe, L"burn", FALSE);
    probe.growEvent = NamedEvent(probe, L"grow", FALSE);
    probe.doneEvent = NamedEvent(probe, L"done", FALSE);
    Sleep(probe.holdStart);
    Report(probe, SERVICE_RUNNING);

    const HANDLE waits[] = {probe.controlEvent, probe.burnEvent, probe.growEvent};
    for (;;) {
        const DWORD which = WaitForMultipleObjects(3, waits, FALSE, INFINITE);
        if (which == WAIT_OBJECT_0 + 1) {
            Burn(probe.burnUnits);
            SetEvent(probe.doneEvent);
        } else if (which == WAIT_OBJECT_0 + 2) {
            Grow(probe);
            SetEvent(probe.doneEvent);
        } else if (which == WAIT_OBJECT_0) {
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
        } else {
            break;
        }
    }
    for (void *block : probe.grown)
        VirtualFree(block, 0, MEM_RELEASE);
    probe.grown.clear();
    CloseHandle(probe.burnEvent);
    CloseHandle(probe.growEvent);
    CloseHandle(probe.doneEvent);
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
