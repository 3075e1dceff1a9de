#include "monitor/ServiceApi.h"

const ServiceApi &RealServiceApi()
{
    static const ServiceApi real = {
        ::OpenSCManagerW, ::EnumServicesStatusW, ::GetServiceDisplayNameW, ::GetServiceKeyNameW,
        ::OpenServiceW,   ::QueryServiceConfigW, ::QueryServiceStatusEx,   ::CloseServiceHandle,
        ::OpenProcess,    ::GetProcessTimes,     ::GetProcessMemoryInfo,   ::CloseHandle,
    };
    return real;
}

ServiceApi &CurrentServiceApi()
{
    static ServiceApi current = RealServiceApi();
    return current;
}
