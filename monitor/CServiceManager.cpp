#include "monitor/CServiceManager.h"

#include "monitor/ServiceApi.h"

#include <new>

namespace {

// Both translations share one contract: a fixed buffer, and on success the call reports the length.
using NameTranslation = BOOL(WINAPI *)(SC_HANDLE, LPCWSTR, LPWSTR, LPDWORD);

BOOL TranslateName(NameTranslation translate, SC_HANDLE manager, LPCWSTR name, CString &result)
{
    wchar_t buffer[CServiceManager::kNameBufferLength] = {};
    DWORD length = CServiceManager::kNameBufferLength;
    const BOOL ok = translate(manager, name, buffer, &length);
    if (ok && length < CServiceManager::kNameBufferLength)
        result = CString(buffer, static_cast<int>(length));
    else
        result.Empty();
    return ok;
}

} // namespace

CServiceManager::~CServiceManager()
{
    if (m_handle != nullptr)
        CurrentServiceApi().closeServiceHandle(m_handle);
}

BOOL CServiceManager::Open(LPCWSTR machineName, LPCWSTR databaseName, DWORD access)
{
    // Reopening replaces the handle, so the earlier one must not leak.
    if (m_handle != nullptr)
        Close();
    m_handle = CurrentServiceApi().openSCManager(machineName, databaseName, access);
    return m_handle != nullptr;
}

BOOL CServiceManager::Close()
{
    if (m_handle == nullptr)
        return FALSE;
    const BOOL closed = CurrentServiceApi().closeServiceHandle(m_handle);
    m_handle = nullptr;
    return closed;
}

BOOL CServiceManager::EnumServices(DWORD serviceType, DWORD serviceState, std::unique_ptr<BYTE[]> &block, DWORD &count)
{
    block.reset();
    for (DWORD size = kEnumBlockStep;; size += kEnumBlockStep) {
        std::unique_ptr<BYTE[]> attempt(new (std::nothrow) BYTE[size]);
        if (!attempt)
            return FALSE;
        count = 0;
        DWORD resume = 0;
        DWORD needed = 0;
        if (CurrentServiceApi().enumServicesStatus(m_handle, serviceType, serviceState,
                                                   reinterpret_cast<LPENUM_SERVICE_STATUSW>(attempt.get()), size,
                                                   &needed, &count, &resume)) {
            block = std::move(attempt);
            return TRUE;
        }
        // The reported need is ignored: every retry grows by one fixed step and starts over.
        if (GetLastError() != ERROR_MORE_DATA)
            return FALSE;
    }
}

BOOL CServiceManager::GetDisplayName(LPCWSTR keyName, CString &displayName)
{
    return TranslateName(CurrentServiceApi().getServiceDisplayName, m_handle, keyName, displayName);
}

BOOL CServiceManager::GetKeyName(LPCWSTR displayName, CString &keyName)
{
    return TranslateName(CurrentServiceApi().getServiceKeyName, m_handle, displayName, keyName);
}
