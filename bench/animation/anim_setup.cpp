// Prepares the bench prefix. "services OWN TOTAL": installs and starts OWN own-process probe services
// (QvAnim000..) and then shared-process ones until TOTAL Win32 services are active, then waits until killed:
// the wineserver ends every service once no program of the prefix is left. "rows N": saves the saver's row
// count. "saved N": saves the first N probes, own-process ones first, as the monitored list; "clear" removes
// the settings. "count": prints the active Win32 services. "churn N MS": every MS ms pauses the next of the first
// N probes, or continues it when paused, in turn, until killed.

#include "LocalMachine.h"
#include "ProbeService.h"
#include "tests/driver/TestRegistry.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <deque>
#include <string>
#include <vector>

namespace {

unsigned long ActiveServices()
{
    return static_cast<unsigned long>(LocalMachine::Services(SERVICE_WIN32, SERVICE_ACTIVE).size());
}

std::wstring ProbeName(int index)
{
    wchar_t name[32];
    swprintf(name, 32, L"QvAnim%03d", index);
    return name;
}

// The probe of that index, installed now or found installed; the bench's prefix keeps it when this program ends.
ProbeService& AddProbe(std::deque<ProbeService>& probes, int index, const std::vector<std::wstring>& host = {})
{
    return probes.emplace_back(ProbeName(index), L"Quorvane animation probe " + ProbeName(index).substr(6), host);
}

int InstallServices(int own, int total)
{
    const int before = static_cast<int>(ActiveServices());
    const int shared = total - before - own > 0 ? total - before - own : 0;
    std::vector<std::wstring> host;
    for (int i = own; i < own + shared; ++i)
        host.push_back(ProbeName(i));
    std::deque<ProbeService> probes;
    int started = 0;
    for (int i = 0; i < own + shared; ++i) {
        ProbeService& probe = AddProbe(probes, i, i < own ? std::vector<std::wstring>() : host);
        started += probe.Installed() && probe.Start();
    }
    std::printf("probe services started: %d of %d (%d own-process); active Win32 services: %lu (before %d)\n", started,
                own + shared, own, ActiveServices(), before);
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}

int SaveList(int count)
{
    std::vector<std::wstring> services;
    for (int i = 0; i < count; ++i)
        services.push_back(ProbeName(i));
    return TestRegistry::SaveLists(std::vector<std::wstring>(services.size(), LocalMachine::Name()), services) ? 0 : 1;
}

// Paused and running lines differ in colour and text, so each change makes the saver render the line again.
int Churn(int count, DWORD intervalMs)
{
    std::deque<ProbeService> probes;
    for (int i = 0; i < count; ++i)
        AddProbe(probes, i);
    for (int i = 0; count > 0; i = (i + 1) % count) {
        Sleep(intervalMs);
        const bool paused = probes[i].Status().dwCurrentState == SERVICE_PAUSED;
        probes[i].Control(paused ? SERVICE_CONTROL_CONTINUE : SERVICE_CONTROL_PAUSE,
                          paused ? SERVICE_RUNNING : SERVICE_PAUSED);
    }
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc > 3 && wcscmp(argv[1], L"services") == 0)
        return InstallServices(_wtoi(argv[2]), _wtoi(argv[3]));
    if (argc > 2 && wcscmp(argv[1], L"saved") == 0)
        return SaveList(_wtoi(argv[2]));
    if (argc > 1 && wcscmp(argv[1], L"clear") == 0) {
        TestRegistry::DeleteSettings();
        return 0;
    }
    if (argc > 2 && wcscmp(argv[1], L"rows") == 0)
        return TestRegistry::SetDword(L"ServicesCount", static_cast<DWORD>(_wtoi(argv[2]))) ? 0 : 1;
    if (argc > 1 && wcscmp(argv[1], L"count") == 0) {
        std::printf("active Win32 services: %lu\n", ActiveServices());
        return 0;
    }
    if (argc > 3 && wcscmp(argv[1], L"churn") == 0)
        return Churn(_wtoi(argv[2]), static_cast<DWORD>(_wtoi(argv[3])));
    std::printf("usage: anim_setup services OWN TOTAL | rows N | saved N | clear | count | churn N MS\n");
    return 2;
}
