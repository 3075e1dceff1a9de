#include "tests/driver/TestRegistry.h"

#include "settings/RegistryFormat.h"

#include <shlwapi.h>

#include <cstring>

namespace TestRegistry {

void DeleteSettings()
{
    SHDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
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

void SaveLists(const std::vector<std::wstring>& servers, const std::vector<std::wstring>& services)
{
    for (const auto& [name, entries] :
         {std::make_pair(L"SavedServers", servers), std::make_pair(L"SavedServices", services)}) {
        std::wstring characters;
        for (const std::wstring& entry : entries)
            characters += entry + L'\0';
        Set(name, REG_MULTI_SZ, Units(characters + L'\0'));
    }
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

StoredList ReadStoredList(LPCWSTR name)
{
    StoredList list;
    const Value value = Get(name);
    if (value.type != REG_MULTI_SZ)
        return list;
    CStringArray entries;
    RegistryFormat::DecodeStringList(value.bytes.data(), value.bytes.size(), entries);
    for (int i = 0; i < entries.GetSize(); ++i)
        list.entries.emplace_back(entries[i]);
    // The unit tests pin the encoding to literal bytes, so a list is well formed when it is exactly that.
    list.wellFormed = RegistryFormat::EncodeStringList(entries) == value.bytes;
    return list;
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
