#include "display/CMonitoredList.h"

#include <cwchar>

CMonitoredList::~CMonitoredList()
{
    CloseManagers();
}

BOOL CMonitoredList::Build()
{
    m_settings.Load();
    wchar_t computer[16] = {};
    DWORD size = 16;
    GetComputerNameW(computer, &size);

    if (m_settings.SavedServices.IsEmpty())
        AddLocalActiveServices(computer);

    // Hand-edited lists may differ in length: pair by index, never past either list.
    const int pairs = m_settings.SavedServices.GetSize() < m_settings.SavedServers.GetSize()
                          ? m_settings.SavedServices.GetSize()
                          : m_settings.SavedServers.GetSize();
    for (int i = 0; i < pairs; ++i) {
        const CString& server = m_settings.SavedServers[i];
        CNamedServiceManager* manager = nullptr;
        if (!FindOrOpenManager(server, &manager)) {
            CloseManagers();
            return FALSE;
        }
        auto service = std::make_unique<CMonitoredService>();
        if (!service->Open(*manager, m_settings.SavedServices[i]))
            continue;
        service->m_local = _wcsicmp(server, computer) == 0;
        service->SetServerName(server);
        m_services.push_back(std::move(service));
    }
    CloseManagers();
    return TRUE;
}

void CMonitoredList::AddLocalActiveServices(LPCWSTR computerName)
{
    // Start both lists afresh so the local pairs line up even if only servers were stored.
    m_settings.SavedServers.RemoveAll();
    CServiceManager local;
    if (!local.Open(nullptr, nullptr, GENERIC_READ))
        return;
    std::unique_ptr<BYTE[]> block;
    DWORD count = 0;
    if (!local.EnumServices(SERVICE_WIN32, SERVICE_ACTIVE, block, count))
        return;
    const auto* records = reinterpret_cast<const ENUM_SERVICE_STATUSW*>(block.get());
    for (DWORD i = 0; i < count; ++i) {
        m_settings.SavedServices.Add(records[i].lpServiceName);
        m_settings.SavedServers.Add(computerName);
    }
}

BOOL CMonitoredList::FindOrOpenManager(LPCWSTR server, CNamedServiceManager** manager)
{
    for (const auto& cached : m_managers) {
        if (_wcsicmp(cached->m_server, server) == 0) {
            *manager = cached.get();
            return TRUE;
        }
    }
    auto opened = std::make_unique<CNamedServiceManager>();
    if (!opened->Open(server, L"ServicesActive", GENERIC_READ))
        return FALSE;
    opened->m_server = server;
    *manager = opened.get();
    m_managers.push_back(std::move(opened));
    return TRUE;
}

void CMonitoredList::CloseManagers()
{
    m_managers.clear();
}

void CMonitoredList::DestroyServices()
{
    m_services.clear();
}
