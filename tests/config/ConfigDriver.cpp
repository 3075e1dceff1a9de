#include "ConfigDriver.h"

#include "res/resource.h"
#include "tests/driver/UiDriver.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cstring>

namespace ConfigDriver {

namespace {
const wchar_t* const kSettingsKey = L"Software\\Zentrix\\ScreenSaver\\Quorvane Screen Saver";

std::wstring MultiString(const std::vector<std::wstring>& entries)
{
    std::wstring characters;
    for (const std::wstring& entry : entries)
        characters += entry + L'\0';
    return characters + L'\0';
}
}

std::wstring ComputerName()
{
    wchar_t name[16] = {};
    DWORD size = 16;
    GetComputerNameW(name, &size);
    return name;
}

void DeleteSettings()
{
    SHDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
}

void SaveLists(const std::vector<std::wstring>& servers, const std::vector<std::wstring>& services)
{
    SaveRawList(L"SavedServers", MultiString(servers));
    SaveRawList(L"SavedServices", MultiString(services));
}

void SaveRawList(LPCWSTR name, const std::wstring& characters, DWORD type, bool strayByte)
{
    std::vector<BYTE> bytes(characters.size() * sizeof(wchar_t) + (strayByte ? 1 : 0), 0x41);
    std::memcpy(bytes.data(), characters.data(), characters.size() * sizeof(wchar_t));
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != 0)
        return;
    RegSetValueExW(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

StoredList ReadStoredList(LPCWSTR name)
{
    StoredList list;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != 0)
        return list;
    DWORD type = 0;
    DWORD size = 0;
    std::vector<BYTE> bytes;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) == 0) {
        bytes.resize(size);
        list.present = RegQueryValueExW(key, name, nullptr, &type, bytes.data(), &size) == 0;
    }
    RegCloseKey(key);
    if (!list.present || type != REG_MULTI_SZ || size % sizeof(wchar_t) != 0)
        return list;
    const std::wstring characters(reinterpret_cast<const wchar_t*>(bytes.data()), size / sizeof(wchar_t));
    // The empty list is a single NUL; otherwise every entry ends in NUL and one more NUL ends all.
    if (characters == std::wstring(1, L'\0')) {
        list.wellFormed = true;
        return list;
    }
    size_t start = 0;
    while (start < characters.size() && characters[start] != L'\0') {
        const size_t end = characters.find(L'\0', start);
        if (end == std::wstring::npos)
            return list;
        list.entries.push_back(characters.substr(start, end - start));
        start = end + 1;
    }
    list.wellFormed = !list.entries.empty() && start + 1 == characters.size();
    return list;
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
            services.push_back({records[i].lpServiceName, records[i].lpDisplayName,
                                records[i].ServiceStatus.dwCurrentState});
    }
    CloseServiceHandle(manager);
    return services;
}

HWND ShowPage(HWND sheet, int index)
{
    SendMessageW(sheet, PSM_SETCURSEL, index, 0);
    return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

std::vector<Row> Rows(HWND page)
{
    HWND list = GetDlgItem(page, IDC_SERVICE_LIST);
    std::vector<Row> rows;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        rows.push_back({UiDriver::ListViewText(list, i, 0), UiDriver::ListViewText(list, i, 1)});
    return rows;
}

bool IsSelectedRow(HWND page, int row)
{
    return SendDlgItemMessageW(page, IDC_SERVICE_LIST, LVM_GETITEMSTATE, row, LVIS_SELECTED) != 0;
}

bool SelectRow(HWND page, int row, bool select)
{
    return UiDriver::SetListViewItemState(GetDlgItem(page, IDC_SERVICE_LIST), row, select ? LVIS_SELECTED : 0,
                                          LVIS_SELECTED);
}

bool IsItemEnabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

void Sync(HWND window)
{
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kTimeout, nullptr);
}

bool WaitUntilGone(HWND window)
{
    for (DWORD waited = 0; IsWindow(window); waited += 20) {
        if (waited > kTimeout)
            return false;
        Sleep(20);
    }
    return true;
}

std::vector<std::wstring> ListTexts(HWND dialog)
{
    std::vector<std::wstring> texts;
    const int count = static_cast<int>(SendDlgItemMessageW(dialog, IDC_AVAILABLE_LIST, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[1024] = {};
        // The platform carries a list box's text across processes itself.
        SendDlgItemMessageW(dialog, IDC_AVAILABLE_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
    }
    return texts;
}

std::vector<bool> ListSelection(HWND dialog)
{
    std::vector<bool> selected;
    const int count = static_cast<int>(SendDlgItemMessageW(dialog, IDC_AVAILABLE_LIST, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        selected.push_back(SendDlgItemMessageW(dialog, IDC_AVAILABLE_LIST, LB_GETSEL, i, 0) > 0);
    return selected;
}

int ListIndexOf(HWND dialog, const std::wstring& text)
{
    const std::vector<std::wstring> texts = ListTexts(dialog);
    for (size_t i = 0; i < texts.size(); ++i)
        if (texts[i] == text)
            return static_cast<int>(i);
    return -1;
}

}
