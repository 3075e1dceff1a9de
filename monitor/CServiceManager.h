#pragma once

#include "framework/CObject.h"
#include "framework/CString.h"

#include <windows.h>

#include <memory>

// One owned Service Control Manager handle, for listing services and translating their names.
class CServiceManager : public CObject {
public:
    // First enumeration block, and the fixed step each retry grows it by.
    static constexpr DWORD kEnumBlockStep = 0x4000;
    // Characters of the name-translation buffer, terminator included.
    static constexpr DWORD kNameBufferLength = 260;

    CServiceManager() = default;
    ~CServiceManager() override;
    CServiceManager(const CServiceManager &) = delete;
    CServiceManager &operator=(const CServiceManager &) = delete;

    BOOL Open(LPCWSTR machineName, LPCWSTR databaseName, DWORD access);
    BOOL Close();
    bool IsOpen() const { return m_handle != nullptr; }
    operator SC_HANDLE() const { return m_handle; }

    // On TRUE, block holds count ENUM_SERVICE_STATUSW records followed by their strings.
    BOOL EnumServices(DWORD serviceType, DWORD serviceState, std::unique_ptr<BYTE[]> &block, DWORD &count);
    BOOL GetDisplayName(LPCWSTR keyName, CString &displayName);
    BOOL GetKeyName(LPCWSTR displayName, CString &keyName);

protected:
    SC_HANDLE m_handle = nullptr;
};
