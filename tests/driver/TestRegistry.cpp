#include "tests/driver/TestRegistry.h"

#include "settings/CSaverSettings.h"
#include "settings/RegistryFormat.h"

#include <shlwapi.h>

#include <cstring>

namespace TestRegistry {

namespace {

CString KeyOrSettings(LPCWSTR key)
{
    return key != nullptr ? CString(key) : CSaverSettings::KeyPath();
}

} // namespace

std::wstring ComputerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(name, &size);
    return name;
}

std::vector<ServiceEntry> LocalServices(DWORD type, DWORD state)
{
    std::vector<ServiceEntry> services;
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE);
    if (manager == nullptr)
        return services;
    std::vector<BYTE> buffer(0x40000);
    DWORD needed = 0, count = 0, resume = 0;
    if (EnumServicesStatusW(manager, type, state, reinterpret_cast<LPENUM_SERVICE_STATUSW>(buffer.data()),
                            static_cast<DWORD>(buffer.size()), &needed, &count, &resume)) {
        const auto* records = reinterpret_cast<const ENUM_SERVICE_STATUSW*>(buffer.data());
        for (DWORD i = 0; i < count; ++i)
            services.push_back({records[i].lpServiceName, records[i].lpDisplayName});
    }
    CloseServiceHandle(manager);
    return services;
}

void DeleteSettings()
{
    SHDeleteKeyW(HKEY_CURRENT_USER, CSaverSettings::KeyPath());
}

bool Set(LPCWSTR name, DWORD type, const void* data, size_t size, LPCWSTR key, HKEY root)
{
    HKEY opened = nullptr;
    if (RegCreateKeyExW(root, KeyOrSettings(key), 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr) != 0)
        return false;
    const bool set =
        RegSetValueExW(opened, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)) == 0;
    RegCloseKey(opened);
    return set;
}

bool SetDword(LPCWSTR name, DWORD value)
{
    return Set(name, REG_DWORD, &value, sizeof(value));
}

void SaveRawList(LPCWSTR name, const std::wstring& characters, DWORD type, bool strayByte)
{
    std::vector<BYTE> bytes(characters.size() * sizeof(wchar_t) + (strayByte ? 1 : 0), 0x41);
    std::memcpy(bytes.data(), characters.data(), characters.size() * sizeof(wchar_t));
    Set(name, type, bytes.data(), bytes.size());
}

void SaveLists(const std::vector<std::wstring>& servers, const std::vector<std::wstring>& services)
{
    for (const auto& [name, entries] :
         {std::make_pair(L"SavedServers", servers), std::make_pair(L"SavedServices", services)}) {
        std::wstring characters;
        for (const std::wstring& entry : entries)
            characters += entry + L'\0';
        SaveRawList(name, characters + L'\0');
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
    if (RegOpenKeyExW(root, KeyOrSettings(key), 0, KEY_READ, &opened) != 0)
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
