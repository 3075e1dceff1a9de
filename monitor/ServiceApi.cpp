#include "monitor/ServiceApi.h"

namespace {

// The performance counter: every Windows since 2000 has it, and the wall clock may be set back.
ULONGLONG WINAPI PerformanceCounterTime()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER count;
    if (!QueryPerformanceFrequency(&frequency) || !QueryPerformanceCounter(&count) || frequency.QuadPart <= 0)
        return 0;
    const ULONGLONG ticks = static_cast<ULONGLONG>(count.QuadPart);
    const ULONGLONG perSecond = static_cast<ULONGLONG>(frequency.QuadPart);
    constexpr ULONGLONG kUnitsPerSecond = 10000000;
    return ticks / perSecond * kUnitsPerSecond + ticks % perSecond * kUnitsPerSecond / perSecond;
}

} // namespace

const ServiceApi &RealServiceApi()
{
    static const ServiceApi real = {
        ::OpenSCManagerW, ::EnumServicesStatusW, ::GetServiceDisplayNameW, ::GetServiceKeyNameW,
        ::OpenServiceW,   ::QueryServiceConfigW, ::QueryServiceStatusEx,   ::CloseServiceHandle,
        ::OpenProcess,    ::GetProcessTimes,     ::GetProcessMemoryInfo,   ::CloseHandle,
        PerformanceCounterTime,
    };
    return real;
}

ServiceApi &CurrentServiceApi()
{
    static ServiceApi current = RealServiceApi();
    return current;
}
