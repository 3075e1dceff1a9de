#include "config/CAddServicesDlg.h"

#include "config/ComputerBrowser.h"
#include "framework/CListBox.h"
#include "monitor/CServiceManager.h"
#include "res/resource.h"

CAddServicesDlg::CAddServicesDlg(CWnd* parent)
    : CDialog(IDD_ADD_SERVICES, parent), m_bChanged(FALSE), m_serviceCount(0)
{
}

CAddServicesDlg::~CAddServicesDlg() = default;

BOOL CAddServicesDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The box names the computer while the list is read through the empty name: the same one.
    SetDlgItemText(IDC_SERVER_EDIT, m_settings.ServerName);
    FillServiceList();
    return TRUE;
}

BOOL CAddServicesDlg::FillServiceList()
{
    m_services.reset();
    m_serviceCount = 0;
    CListBox list;
    list.Attach(GetDlgItem(IDC_AVAILABLE_LIST));
    list.ResetContent();
    BOOL filled = FALSE;
    CServiceManager manager;
    if (manager.Open(m_strServer, SERVICES_ACTIVE_DATABASEW, GENERIC_READ)) {
        std::unique_ptr<BYTE[]> block;
        DWORD count = 0;
        if (manager.EnumServices(SERVICE_WIN32, SERVICE_STATE_ALL, block, count)) {
            const auto* records = reinterpret_cast<const ENUM_SERVICE_STATUSW*>(block.get());
            for (DWORD i = 0; i < count; ++i)
                list.AddString(records[i].lpDisplayName);
            m_services = std::move(block);
            m_serviceCount = count;
            filled = TRUE;
        }
        manager.Close();
    }
    list.Detach();
    return filled;
}

BOOL CAddServicesDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (MAKELONG(LOWORD(wParam), HIWORD(wParam))) {
    case MAKELONG(IDC_SELECT_ALL, BN_CLICKED):
        OnSelectAll();
        return TRUE;
    case MAKELONG(IDC_SELECT_NONE, BN_CLICKED):
        OnSelectNone();
        return TRUE;
    case MAKELONG(IDC_SELECT_RUNNING, BN_CLICKED):
        OnSelectRunning();
        return TRUE;
    case MAKELONG(IDC_BROWSE_SERVER, BN_CLICKED):
        OnBrowseServer();
        return TRUE;
    default:
        return CDialog::OnCommand(wParam, lParam);
    }
}

void CAddServicesDlg::ClearSelection()
{
    // Index -1 applies LB_SETSEL to every item, also in a list of one or none.
    SendDlgItemMessage(IDC_AVAILABLE_LIST, LB_SETSEL, FALSE, -1);
}

void CAddServicesDlg::OnSelectAll()
{
    ClearSelection();
    SendDlgItemMessage(IDC_AVAILABLE_LIST, LB_SETSEL, TRUE, -1);
    m_bChanged = TRUE;
}

void CAddServicesDlg::OnSelectNone()
{
    ClearSelection();
    m_bChanged = TRUE;
}

void CAddServicesDlg::OnSelectRunning()
{
    ClearSelection();
    CListBox list;
    list.Attach(GetDlgItem(IDC_AVAILABLE_LIST));
    const auto* records = reinterpret_cast<const ENUM_SERVICE_STATUSW*>(m_services.get());
    for (DWORD i = 0; i < m_serviceCount; ++i) {
        if (records[i].ServiceStatus.dwCurrentState != SERVICE_RUNNING)
            continue;
        // A whole-text match: a prefix search would pick a longer name that begins with this one.
        // Display names are unique on a server regardless of case, so ignoring case is exact enough.
        const int item = list.FindStringExact(-1, records[i].lpDisplayName);
        if (item != LB_ERR)
            list.SetSel(item, TRUE);
    }
    list.Detach();
    m_bChanged = TRUE;
}

void CAddServicesDlg::OnBrowseServer()
{
    CString computer;
    if (!CurrentComputerBrowser()(m_hWnd, computer))
        return;
    SetDlgItemText(IDC_SERVER_EDIT, computer);
    m_strServer = computer;
    FillServiceList();
}

void CAddServicesDlg::OnOK()
{
    CListBox list;
    list.Attach(GetDlgItem(IDC_AVAILABLE_LIST));
    const int count = list.GetCount();
    for (int i = 0; i < count; ++i)
        if (list.GetSel(i) > 0)
            m_arrChosen.Add(list.GetText(i));
    list.Detach();
    m_strServer = GetDlgItemText(IDC_SERVER_EDIT);
    m_bChanged = TRUE;
    CDialog::OnOK();
}

void CAddServicesDlg::OnCancel()
{
    m_bChanged = FALSE;
    CDialog::OnCancel();
}
