#pragma once

#include "framework/CObject.h"
#include "framework/CString.h"

#include <windows.h>

#include <memory>

// One owned service handle, opened through a manager that may be closed while this stays valid.
class CServiceHandle : public CObject {
public:
    // Size of the configuration block tried before asking for the size the service needs.
    static constexpr DWORD kFirstConfigSize = 256;

    CServiceHandle() = default;
    ~CServiceHandle() override;
    CServiceHandle(const CServiceHandle &) = delete;
    CServiceHandle &operator=(const CServiceHandle &) = delete;

    BOOL OpenService(SC_HANDLE manager, LPCWSTR serviceName, DWORD access);
    // On TRUE, block holds the service's QUERY_SERVICE_CONFIGW and the strings it points to.
    BOOL QueryConfig(std::unique_ptr<BYTE[]> &block);
    BOOL QueryStatus(LPBYTE buffer, DWORD size, LPDWORD bytesNeeded);

    bool IsOpen() const { return m_hService != nullptr; }
    const CString &GetServiceName() const { return m_serviceName; }

protected:
    SC_HANDLE m_hService = nullptr;
    // Borrowed: only recorded, never used after the open and never closed here.
    SC_HANDLE m_hManager = nullptr;
    CString m_serviceName;
};
