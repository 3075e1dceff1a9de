#include "tests/driver/TestRegistry.h"

#include <sddl.h>
#include <shlwapi.h>

#include <cstring>

namespace TestRegistry {

void DeleteSettings(LPCWSTR key)
{
    SHDeleteKeyW(HKEY_CURRENT_USER, key);
}

bool SetAccess(LPCWSTR sddl, LPCWSTR key)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    HKEY opened = nullptr;
    const bool set =
        ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr) &&
        RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_READ | WRITE_DAC, nullptr, &opened, nullptr) == 0 &&
        RegSetKeySecurity(opened, DACL_SECURITY_INFORMATION, descriptor) == 0;
    RegCloseKey(opened);
    LocalFree(descriptor);
    return set;
}

bool Set(LPCWSTR name, DWORD type, const void* data, size_t size, LPCWSTR key, HKEY root)
{
    HKEY opened = nullptr;
    if (RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr) != 0)
        return false;
    const bool set =
        RegSetValueExW(opened, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)) == 0;
    RegCloseKey(opened);
    return set;
}

bool Set(LPCWSTR name, DWORD type, const std::vector<BYTE>& bytes)
{
    return Set(name, type, bytes.data(), bytes.size());
}

bool SetDword(LPCWSTR name, DWORD value)
{
    return Set(name, REG_DWORD, &value, sizeof(value));
}

std::vector<BYTE> Units(const std::wstring& units, size_t stray)
{
    std::vector<BYTE> bytes(units.size() * sizeof(wchar_t) + stray, 0x41);
    std::memcpy(bytes.data(), units.data(), units.size() * sizeof(wchar_t));
    return bytes;
}

std::vector<BYTE> ListBytes(const std::vector<std::wstring>& entries)
{
    std::wstring characters;
    for (const std::wstring& entry : entries)
        characters += entry + L'\0';
    return Units(characters + L'\0');
}

bool SaveLists(const std::vector<std::wstring>& servers, const std::vector<std::wstring>& services)
{
    return Set(L"SavedServers", REG_MULTI_SZ, ListBytes(servers)) &&
           Set(L"SavedServices", REG_MULTI_SZ, ListBytes(services));
}

Value Get(LPCWSTR name, LPCWSTR key, HKEY root)
{
    const std::map<std::wstring, Value> values = AllValues(key, root);
    const auto found = values.find(name);
    return found == values.end() ? Value() : found->second;
}

std::wstring Value::Text() const
{
    const std::wstring units(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    return units.substr(0, units.find(L'\0'));
}

DWORD GetDword(LPCWSTR name)
{
    const Value value = Get(name);
    DWORD dword = 0xDEADBEEF;
    if (value.bytes.size() == sizeof(dword))
        std::memcpy(&dword, value.bytes.data(), sizeof(dword));
    return dword;
}

std::map<std::wstring, Value> AllValues(LPCWSTR key, HKEY root)
{
    std::map<std::wstring, Value> values;
    HKEY opened;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &opened) != 0)
        return values;
    wchar_t name[256];
    std::vector<BYTE> data(4 * 1024 * 1024);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 256, type = 0, size = static_cast<DWORD>(data.size());
        if (RegEnumValueW(opened, i, name, &nameLength, nullptr, &type, data.data(), &size) != 0)
            break;
        values[name] = {true, type, std::vector<BYTE>(data.begin(), data.begin() + size)};
    }
    RegCloseKey(opened);
    return values;
}

}
