#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

// The settings key as a test sets it up and reads it back: the one place the tests touch the registry. Set, Get and
// the others take another key when given one.
namespace TestRegistry {

// Where the saver, the sheet and the uninstaller keep the settings; a change there loses every user's settings.
constexpr const wchar_t* kSettingsKey = L"Software\\Zentrix\\ScreenSaver\\Quorvane Screen Saver";

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

// The settings key, or the key given, with everything under it.
void DeleteSettings(LPCWSTR key = kSettingsKey);
// The key's access list, in the platform's security descriptor language; the key is made when missing.
bool SetAccess(LPCWSTR sddl, LPCWSTR key = kSettingsKey);
// A settings value of any type and size, as a hand-edited registry may hold it.
bool Set(LPCWSTR name, DWORD type, const void* data, size_t size, LPCWSTR key = kSettingsKey,
         HKEY root = HKEY_CURRENT_USER);
bool Set(LPCWSTR name, DWORD type, const std::vector<BYTE>& bytes);
bool SetDword(LPCWSTR name, DWORD value);
// The UTF-16 units as given, NULs included, then stray bytes, which make an odd size.
std::vector<BYTE> Units(const std::wstring& units, size_t stray = 0);
// A stored list's exact bytes: each entry and its NUL, then the closing NUL.
std::vector<BYTE> ListBytes(const std::vector<std::wstring>& entries);
bool SaveLists(const std::vector<std::wstring>& servers, const std::vector<std::wstring>& services);

// The value by its name exactly as stored.
Value Get(LPCWSTR name, LPCWSTR key = kSettingsKey, HKEY root = HKEY_CURRENT_USER);
// The value's four bytes, or 0xDEADBEEF when it is missing or of another size.
DWORD GetDword(LPCWSTR name);
// Every value of the key, by its name as stored.
std::map<std::wstring, Value> AllValues(LPCWSTR key = kSettingsKey, HKEY root = HKEY_CURRENT_USER);

}
