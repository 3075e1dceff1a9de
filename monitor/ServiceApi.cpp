#include "monitor/ServiceApi.h"

namespace {

constexpr ULONGLONG kUnitsPerSecond = 10000000;

// The tick count, carried past its wrap every 49.7 days. Only the user-interface thread asks.
ULONGLONG TickCountTime()
{
    static DWORD last = 0;
    static ULONGLONG wraps = 0;
    const DWORD now = GetTickCount();
    if (now < last)
        ++wraps;
    last = now;
    return ((wraps << 32) + now) * (kUnitsPerSecond / 1000);
}

// The performance counter, as the wall clock may be set back; where the hardware offers none (Windows 2000
// may have none), the coarser tick count, rather than a clock that never moves and shares that stay 0.
ULONGLONG WINAPI PerformanceCounterTime()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER count;
    if (!QueryPerformanceFrequency(&frequency) || !QueryPerformanceCounter(&count) || frequency.QuadPart <= 0)
        return TickCountTime();
    const ULONGLONG ticks = static_cast<ULONGLONG>(count.QuadPart);
    const ULONGLONG perSecond = static_cast<ULONGLONG>(frequency.QuadPart);
    return ticks / perSecond * kUnitsPerSecond + ticks % perSecond * kUnitsPerSecond / perSecond;
}

// Looked up when first asked for: ntdll has it on every Windows NT, but Microsoft keeps the right to change or drop
// it, and a missing import would keep the whole saver from starting instead of leaving only the list unread.
NTSTATUS WINAPI QueryProcessList(PVOID buffer, ULONG size, PULONG returned)
{
    using Query = NTSTATUS(WINAPI *)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
    static const Query query = reinterpret_cast<Query>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr)
        return static_cast<NTSTATUS>(STATUS_ENTRYPOINT_NOT_FOUND);
    return query(SystemProcessInformation, buffer, size, returned);
}

} // namespace

const ServiceApi &RealServiceApi()
{
    static const ServiceApi real = {
        ::OpenSCManagerW, ::EnumServicesStatusW,  ::GetServiceDisplayNameW, ::GetServiceKeyNameW,
        ::OpenServiceW,   ::QueryServiceConfigW,  ::QueryServiceStatusEx,   ::CloseServiceHandle,
        ::OpenProcess,    ::GetProcessTimes,      ::GetProcessMemoryInfo,   ::CloseHandle,
        QueryProcessList, PerformanceCounterTime,
    };
    return real;
}

ServiceApi &CurrentServiceApi()
{
    static ServiceApi current = RealServiceApi();
    return current;
}
