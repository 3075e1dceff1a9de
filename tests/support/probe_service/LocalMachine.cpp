#include "LocalMachine.h"

namespace LocalMachine {

std::wstring Name()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(name, &size);
    return name;
}

std::vector<Service> Services(DWORD type, DWORD state)
{
    std::vector<Service> services;
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE);
    if (manager == nullptr)
        return services;
    std::vector<BYTE> buffer(0x40000);
    DWORD needed = 0, count = 0, resume = 0;
    if (EnumServicesStatusW(manager, type, state, reinterpret_cast<LPENUM_SERVICE_STATUSW>(buffer.data()),
                            static_cast<DWORD>(buffer.size()), &needed, &count, &resume)) {
        const auto* records = reinterpret_cast<const ENUM_SERVICE_STATUSW*>(buffer.data());
        for (DWORD i = 0; i < count; ++i)
            services.push_back({records[i].lpServiceName, records[i].lpDisplayName});
    }
    CloseServiceHandle(manager);
    return services;
}

}
