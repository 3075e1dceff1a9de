// The saver as a computer with two monitors side by side runs it, which Wine cannot show: the primary
// 1024x768 at (0, 0) and a second 800x600 at (1024, 0), on one wide screen.
#include "app/CServicesSaverApp.h"
#include "app/MonitorLayout.h"

CServicesSaverApp theApp;

static MonitorLayout TwoMonitors()
{
    return MonitorLayout{{0, 0, 1024, 768}, {{1024, 0, 1824, 600}}};
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    CurrentMonitorLister() = &TwoMonitors;
    return AfxWinMain(instance);
}
