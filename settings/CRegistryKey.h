#pragma once

#include "framework/CStringArray.h"

#include <windows.h>

// One owned registry key, opened (and created when missing) for one load or one save.
class CRegistryKey {
public:
    CRegistryKey() = default;
    ~CRegistryKey();
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    BOOL Open(HKEY root, LPCWSTR subKey, REGSAM access);
    void Close();
    bool IsOpen() const { return m_hKey != nullptr; }

    BOOL ReadDword(LPCWSTR name, DWORD* field, DWORD defaultValue);
    BOOL ReadBinary(LPCWSTR name, void* buffer, DWORD size);
    BOOL ReadStringList(LPCWSTR name, CStringArray& entries);

    BOOL WriteDword(LPCWSTR name, DWORD value);
    BOOL WriteBinary(LPCWSTR name, const void* data, DWORD size);
    BOOL WriteStringList(LPCWSTR name, const CStringArray& entries);

private:
    // Reads of a value that keeps growing under the reader give up after this many.
    static constexpr int kReadAttempts = 4;

    HKEY m_hKey = nullptr;
};
