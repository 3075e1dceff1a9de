#include "settings/CRegistryKey.h"

#include "settings/RegistryFormat.h"

#include <cstring>
#include <vector>

CRegistryKey::~CRegistryKey()
{
    Close();
}

BOOL CRegistryKey::Open(HKEY root, LPCWSTR subKey, REGSAM access)
{
    Close();
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return FALSE;
    m_hKey = key;
    return TRUE;
}

void CRegistryKey::Close()
{
    if (m_hKey != nullptr) {
        RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }
}

BOOL CRegistryKey::ReadDword(LPCWSTR name, DWORD* field, DWORD defaultValue)
{
    *field = defaultValue;
    if (m_hKey == nullptr)
        return TRUE;
    BYTE bytes[RegistryFormat::kDwordBytes] = {};
    DWORD size = sizeof(bytes);
    if (RegQueryValueExW(m_hKey, name, nullptr, nullptr, bytes, &size) != ERROR_SUCCESS)
        return FALSE;
    // Another size means a value someone else wrote: keep the default rather than half of it.
    DWORD value = 0;
    if (!RegistryFormat::DecodeDword(bytes, size, value))
        return FALSE;
    *field = value;
    return TRUE;
}

BOOL CRegistryKey::ReadBinary(LPCWSTR name, void* buffer, DWORD size)
{
    std::memset(buffer, 0, size);
    if (m_hKey == nullptr)
        return FALSE;
    DWORD got = size;
    return RegQueryValueExW(m_hKey, name, nullptr, nullptr, static_cast<BYTE*>(buffer), &got) == ERROR_SUCCESS;
}

BOOL CRegistryKey::ReadStringList(LPCWSTR name, CStringArray& entries)
{
    entries.RemoveAll();
    if (m_hKey == nullptr)
        return TRUE;
    DWORD size = 0;
    if (RegQueryValueExW(m_hKey, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return FALSE;
    // The whole value is read, an odd last byte included; the decoder takes only complete entries.
    // A value that grew since its size was asked is asked again, a few times at most. (Where it was
    // empty, the buffer has no storage and the read only asks the size: the empty value stands.)
    std::vector<BYTE> data;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        data.resize(size);
        DWORD got = size;
        const LONG result = RegQueryValueExW(m_hKey, name, nullptr, nullptr, data.data(), &got);
        if (result == ERROR_SUCCESS) {
            RegistryFormat::DecodeStringList(data.data(), got, entries);
            return TRUE;
        }
        if (result != ERROR_MORE_DATA)
            return FALSE;
        size = got > size ? got : size + 2;
    }
    return FALSE;
}

BOOL CRegistryKey::WriteDword(LPCWSTR name, DWORD value)
{
    if (m_hKey == nullptr)
        return FALSE;
    return RegSetValueExW(m_hKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

BOOL CRegistryKey::WriteBinary(LPCWSTR name, const void* data, DWORD size)
{
    if (m_hKey == nullptr)
        return FALSE;
    return RegSetValueExW(m_hKey, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

BOOL CRegistryKey::WriteStringList(LPCWSTR name, const CStringArray& entries)
{
    if (m_hKey == nullptr)
        return FALSE;
    const std::vector<BYTE> bytes = RegistryFormat::EncodeStringList(entries);
    return RegSetValueExW(m_hKey, name, 0, REG_MULTI_SZ, bytes.data(), static_cast<DWORD>(bytes.size())) ==
           ERROR_SUCCESS;
}
