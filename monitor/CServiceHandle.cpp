#include "monitor/CServiceHandle.h"

#include "monitor/ServiceApi.h"

#include <new>

CServiceHandle::~CServiceHandle()
{
    if (m_hService != nullptr)
        CurrentServiceApi().closeServiceHandle(m_hService);
}

BOOL CServiceHandle::OpenService(SC_HANDLE manager, LPCWSTR serviceName, DWORD access)
{
    // A second open replaces the handle, so the earlier one is given back first.
    if (m_hService != nullptr) {
        CurrentServiceApi().closeServiceHandle(m_hService);
        m_hService = nullptr;
    }
    m_serviceName = serviceName;
    m_hService = CurrentServiceApi().openService(manager, serviceName, access);
    m_hManager = manager;
    return m_hService != nullptr;
}

BOOL CServiceHandle::QueryConfig(std::unique_ptr<BYTE[]> &block)
{
    block.reset();
    std::unique_ptr<BYTE[]> attempt(new (std::nothrow) BYTE[kFirstConfigSize]);
    if (!attempt)
        return FALSE;
    DWORD needed = 0;
    const ServiceApi &api = CurrentServiceApi();
    if (api.queryServiceConfig(m_hService, reinterpret_cast<LPQUERY_SERVICE_CONFIGW>(attempt.get()), kFirstConfigSize,
                               &needed)) {
        block = std::move(attempt);
        return TRUE;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0)
        return FALSE;
    // Only the size the service reported is tried; a second shortfall is a failure.
    attempt.reset(new (std::nothrow) BYTE[needed]);
    if (!attempt)
        return FALSE;
    if (!api.queryServiceConfig(m_hService, reinterpret_cast<LPQUERY_SERVICE_CONFIGW>(attempt.get()), needed, &needed))
        return FALSE;
    block = std::move(attempt);
    return TRUE;
}

BOOL CServiceHandle::QueryStatus(LPBYTE buffer, DWORD size, LPDWORD bytesNeeded)
{
    return CurrentServiceApi().queryServiceStatusEx(m_hService, SC_STATUS_PROCESS_INFO, buffer, size, bytesNeeded);
}
