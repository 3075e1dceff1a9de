#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

// The settings key and the service manager as a test sets them up and reads them back: the one
// place the tests touch the registry and list services. Set and Get take another key when given one.
namespace TestRegistry {

struct Value {
    bool present = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool operator==(const Value& other) const
    {
        return present == other.present && type == other.type && bytes == other.bytes;
    }
    // The bytes as a string, up to its first NUL.
    std::wstring Text() const;
};

struct StoredList {
    // REG_MULTI_SZ of non-empty entries and one closing NUL, nothing after it.
    bool wellFormed = false;
    std::vector<std::wstring> entries;
};

struct ServiceEntry {
    std::wstring key;
    std::wstring display;
};

std::wstring ComputerName();
// Records in the manager's order.
std::vector<ServiceEntry> LocalServices(DWORD type, DWORD state);

void DeleteSettings();
// A settings value of any type and size, as a hand-edited registry may hold it.
bool Set(LPCWSTR name, DWORD type, const void* data, size_t size, LPCWSTR key = nullptr,
         HKEY root = HKEY_CURRENT_USER);
bool SetDword(LPCWSTR name, DWORD value);
void SaveLists(const std::vector<std::wstring>& servers, const std::vector<std::wstring>& services);
// The characters as given, embedded NULs included; a stray byte after them makes the size odd.
void SaveRawList(LPCWSTR name, const std::wstring& characters, DWORD type = REG_MULTI_SZ, bool strayByte = false);

// The value by its name exactly as stored.
Value Get(LPCWSTR name, LPCWSTR key = nullptr, HKEY root = HKEY_CURRENT_USER);
// The value's four bytes, or 0xDEADBEEF when it is missing or of another size.
DWORD GetDword(LPCWSTR name);
StoredList ReadStoredList(LPCWSTR name);
// Every value of the key, by its name as stored.
std::map<std::wstring, Value> AllValues(LPCWSTR key = nullptr, HKEY root = HKEY_CURRENT_USER);

}
