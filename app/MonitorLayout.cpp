#include "app/MonitorLayout.h"

namespace {

BOOL CALLBACK AddOtherMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM layout)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info) && !(info.dwFlags & MONITORINFOF_PRIMARY))
        reinterpret_cast<MonitorLayout*>(layout)->others.push_back(info.rcMonitor);
    return TRUE;
}

} // namespace

MonitorLayout SystemMonitorLayout()
{
    MonitorLayout layout = {{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, {}};
    EnumDisplayMonitors(nullptr, nullptr, AddOtherMonitor, reinterpret_cast<LPARAM>(&layout));
    return layout;
}

MonitorLister& CurrentMonitorLister()
{
    static MonitorLister lister = &SystemMonitorLayout;
    return lister;
}
