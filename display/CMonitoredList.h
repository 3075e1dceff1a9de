#pragma once

#include "monitor/CMonitoredService.h"
#include "monitor/CNamedServiceManager.h"
#include "settings/CSaverSettings.h"

#include <memory>
#include <vector>

// The services a drawing window animates, built once from the saved pairs, or from every
// active Win32 service of this computer when nothing is saved.
class CMonitoredList {
public:
    CMonitoredList() = default;
    virtual ~CMonitoredList();
    CMonitoredList(const CMonitoredList&) = delete;
    CMonitoredList& operator=(const CMonitoredList&) = delete;

    // FALSE when a server's manager failed to open; the services before it stay listed.
    BOOL Build();
    BOOL FindOrOpenManager(LPCWSTR server, CNamedServiceManager** manager);
    void CloseManagers();
    // The services are the window's to destroy when its window goes.
    void DestroyServices();

    int GetSize() const { return static_cast<int>(m_services.size()); }
    CMonitoredService* GetAt(int index) const { return m_services[static_cast<size_t>(index)].get(); }

private:
    void AddLocalActiveServices(LPCWSTR computerName);

    std::vector<std::unique_ptr<CMonitoredService>> m_services;
    CSaverSettings m_settings;
    std::vector<std::unique_ptr<CNamedServiceManager>> m_managers;
};
