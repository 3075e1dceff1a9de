#include "config/CServicesPage.h"

#include "config/CAddServicesDlg.h"
#include "framework/CListCtrl.h"
#include "framework/DpiScale.h"
#include "monitor/CServiceManager.h"
#include "res/resource.h"
#include "settings/CRegistryKey.h"

#include <cwchar>
#include <vector>

namespace {
// In pixels at 96 DPI.
const int kServerColumnWidth = 75;
const int kServiceColumnWidth = 350;

bool HasRow(const CListCtrl& list, LPCWSTR server, LPCWSTR displayName)
{
    const int count = list.GetItemCount();
    for (int row = 0; row < count; ++row)
        if (wcscmp(list.GetItemText(row, 0), server) == 0 && wcscmp(list.GetItemText(row, 1), displayName) == 0)
            return true;
    return false;
}
}

CServicesPage::CServicesPage() : CPropertyPage(IDD_SERVICES_PAGE)
{
    m_settings.Load();
}

CServicesPage::~CServicesPage() = default;

BOOL CServicesPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CListCtrl list;
    list.Attach(GetDlgItem(IDC_SERVICE_LIST));
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    CString heading;
    heading.LoadString(IDS_SERVER);
    const int dpi = DpiScale::Dpi();
    list.InsertColumn(0, heading, LVCFMT_LEFT, DpiScale::Scale(kServerColumnWidth, dpi));
    heading.LoadString(IDS_SERVICE);
    list.InsertColumn(1, heading, LVCFMT_LEFT, DpiScale::Scale(kServiceColumnWidth, dpi));
    EnableDlgItem(IDC_REMOVE, FALSE);
    BOOL filled = TRUE;
    if (!m_settings.SavedServices.IsEmpty())
        FillFromSavedPairs(list);
    else
        filled = FillWithLocalActiveServices(list);
    list.Detach();
    // FALSE leaves the focus where it is when the local services could not be listed.
    return filled;
}

void CServicesPage::FillFromSavedPairs(CListCtrl& list)
{
    // Hand-edited lists may differ in length: pair by index, never past either list.
    const int services = m_settings.SavedServices.GetSize();
    const int servers = m_settings.SavedServers.GetSize();
    const int pairs = services < servers ? services : servers;
    for (int i = 0; i < pairs; ++i) {
        const CString& server = m_settings.SavedServers[i];
        const CString& key = m_settings.SavedServices[i];
        CString displayName;
        CServiceManager manager;
        if (manager.Open(server, nullptr, GENERIC_READ)) {
            manager.GetDisplayName(key, displayName);
            manager.Close();
        }
        InsertRow(list, i, server, displayName, key);
    }
}

BOOL CServicesPage::FillWithLocalActiveServices(CListCtrl& list)
{
    wchar_t computer[16] = {};
    DWORD size = 16;
    GetComputerNameW(computer, &size);
    CServiceManager manager;
    if (!manager.Open(computer, SERVICES_ACTIVE_DATABASEW, GENERIC_READ))
        return FALSE;
    std::unique_ptr<BYTE[]> block;
    DWORD count = 0;
    if (!manager.EnumServices(SERVICE_WIN32, SERVICE_ACTIVE, block, count))
        return FALSE;
    const auto* records = reinterpret_cast<const ENUM_SERVICE_STATUSW*>(block.get());
    for (DWORD i = 0; i < count; ++i)
        InsertRow(list, static_cast<int>(i), computer, records[i].lpDisplayName, records[i].lpServiceName);
    manager.Close();
    return TRUE;
}

void CServicesPage::InsertRow(CListCtrl& list, int index, LPCWSTR server, LPCWSTR displayName, LPCWSTR keyName)
{
    const LPARAM data = keyName != nullptr && *keyName != L'\0' ? m_rowKeys.Add(keyName) + 1 : 0;
    const int row = list.InsertItem(index, server, data);
    if (row >= 0)
        list.SetItemText(row, 1, displayName);
}

CString CServicesPage::RememberedKey(const CListCtrl& list, int row) const
{
    const DWORD_PTR data = list.GetItemData(row);
    return data > 0 && data <= static_cast<DWORD_PTR>(m_rowKeys.GetSize()) ? m_rowKeys[static_cast<int>(data) - 1]
                                                                            : CString();
}

void CServicesPage::RememberKey(CListCtrl& list, int row, const CString& keyName)
{
    const DWORD_PTR data = list.GetItemData(row);
    if (data > 0 && data <= static_cast<DWORD_PTR>(m_rowKeys.GetSize()))
        m_rowKeys[static_cast<int>(data) - 1] = keyName;
    else
        list.SetItemData(row, static_cast<DWORD_PTR>(m_rowKeys.Add(keyName)) + 1);
}

BOOL CServicesPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (MAKELONG(LOWORD(wParam), HIWORD(wParam))) {
    case MAKELONG(IDC_ADD, BN_CLICKED):
        OnAddServices();
        return TRUE;
    case MAKELONG(IDC_REMOVE, BN_CLICKED):
        OnRemoveServices();
        return TRUE;
    case MAKELONG(IDC_SELECT_ALL, BN_CLICKED):
        OnSelectAll();
        return TRUE;
    case MAKELONG(IDC_SELECT_NONE, BN_CLICKED):
        OnSelectNone();
        return TRUE;
    default:
        return CPropertyPage::OnCommand(wParam, lParam);
    }
}

BOOL CServicesPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header != nullptr && header->idFrom == IDC_SERVICE_LIST && header->code == NM_CLICK) {
        *result = OnListClick();
        return TRUE;
    }
    return CPropertyPage::OnNotify(wParam, lParam, result);
}

BOOL CServicesPage::OnApply()
{
    m_settings.SavedServers.RemoveAll();
    m_settings.SavedServices.RemoveAll();
    CListCtrl list;
    list.Attach(GetDlgItem(IDC_SERVICE_LIST));
    const int count = list.GetItemCount();
    for (int row = 0; row < count; ++row) {
        const CString server = list.GetItemText(row, 0);
        const CString displayName = list.GetItemText(row, 1);
        CString key;
        CServiceManager manager;
        if (!displayName.IsEmpty() && manager.Open(server, nullptr, GENERIC_READ)) {
            manager.GetKeyName(displayName, key);
            manager.Close();
        }
        // An unreachable server or a failed lookup must not lose a pair: keep the name it had.
        if (key.IsEmpty())
            key = RememberedKey(list, row);
        else
            RememberKey(list, row, key);
        // An empty entry would end the stored list and drop every pair after it.
        if (server.IsEmpty() || key.IsEmpty())
            continue;
        m_settings.SavedServers.Add(server);
        m_settings.SavedServices.Add(key);
    }
    list.Detach();
    SaveServiceLists();
    return CPropertyPage::OnApply();
}

void CServicesPage::SaveServiceLists()
{
    CRegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, CSaverSettings::KeyPath(), KEY_READ | KEY_WRITE))
        return;
    key.WriteStringList(L"SavedServices", m_settings.SavedServices);
    key.WriteStringList(L"SavedServers", m_settings.SavedServers);
    key.Close();
}

void CServicesPage::OnAddServices()
{
    CAddServicesDlg dialog(nullptr);
    dialog.DoModal();
    const CString server = dialog.m_strServer;
    if (dialog.m_bChanged)
        SetModified(TRUE);
    CListCtrl list;
    list.Attach(GetDlgItem(IDC_SERVICE_LIST));
    // Each new pair lands at its index in the dialog's list; a skipped duplicate still uses one.
    for (int i = 0; i < dialog.m_arrChosen.GetSize(); ++i) {
        const CString& name = dialog.m_arrChosen[i];
        if (!HasRow(list, server, name))
            InsertRow(list, i, server, name, nullptr);
    }
    list.Detach();
}

void CServicesPage::OnRemoveServices()
{
    SetModified(TRUE);
    CListCtrl list;
    list.Attach(GetDlgItem(IDC_SERVICE_LIST));
    std::vector<int> selected;
    for (int row = list.GetNextItem(-1, LVNI_SELECTED); row != -1; row = list.GetNextItem(row, LVNI_SELECTED))
        selected.push_back(row);
    // From the bottom up, so the indices still to delete stay valid.
    for (auto row = selected.rbegin(); row != selected.rend(); ++row)
        list.DeleteItem(*row);
    list.Detach();
    EnableDlgItem(IDC_REMOVE, FALSE);
}

void CServicesPage::SelectEveryRow(BOOL select)
{
    CListCtrl list;
    list.Attach(GetDlgItem(IDC_SERVICE_LIST));
    const int count = list.GetItemCount();
    for (int row = 0; row < count; ++row)
        list.SetItemState(row, select ? LVIS_SELECTED : 0, LVIS_SELECTED);
    ::SetFocus(list.Detach());
}

void CServicesPage::OnSelectAll()
{
    EnableDlgItem(IDC_REMOVE, TRUE);
    SelectEveryRow(TRUE);
}

void CServicesPage::OnSelectNone()
{
    EnableDlgItem(IDC_REMOVE, FALSE);
    SelectEveryRow(FALSE);
}

LRESULT CServicesPage::OnListClick()
{
    // Only enables: a click that leaves nothing selected keeps the button as it was.
    if (SendDlgItemMessage(IDC_SERVICE_LIST, LVM_GETSELECTEDCOUNT) > 0)
        EnableDlgItem(IDC_REMOVE, TRUE);
    return 0;
}
