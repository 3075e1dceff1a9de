#include "framework/CPropertyPage.h"

#include "framework/CWinApp.h"

CPropertyPage::CPropertyPage(UINT templateId) : CDialog(templateId), m_psp()
{
    m_psp.dwSize = sizeof(m_psp);
    m_psp.dwFlags = PSP_DEFAULT;
    m_psp.hInstance = AfxGetInstanceHandle();
    m_psp.pszTemplate = MAKEINTRESOURCEW(templateId);
    m_psp.pfnDlgProc = &CPropertyPage::PageEntry;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
}

// The sheet passes its copy of m_psp with WM_INITDIALOG.
INT_PTR CALLBACK CPropertyPage::PageEntry(HWND window, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG || lParam == 0)
        return FALSE;
    auto* page = reinterpret_cast<CPropertyPage*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
    return page != nullptr ? page->InitializeDialog(window) : TRUE;
}

BOOL CPropertyPage::OnSetActive()
{
    return TRUE;
}

BOOL CPropertyPage::OnKillActive()
{
    return TRUE;
}

BOOL CPropertyPage::OnApply()
{
    OnOK();
    return TRUE;
}

void CPropertyPage::OnReset()
{
    OnCancel();
}

// A page never ends the sheet itself.
void CPropertyPage::OnOK() {}

void CPropertyPage::OnCancel() {}

void CPropertyPage::SetModified(BOOL changed)
{
    if (m_hWnd != nullptr)
        ::SendMessageW(::GetParent(m_hWnd), changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header == nullptr || header->hwndFrom != ::GetParent(m_hWnd))
        return CDialog::OnNotify(wParam, lParam, result);
    switch (header->code) {
    case PSN_SETACTIVE:
        *result = OnSetActive() ? 0 : -1;
        break;
    case PSN_KILLACTIVE:
        *result = OnKillActive() ? FALSE : TRUE;
        break;
    case PSN_APPLY:
        *result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
        break;
    case PSN_RESET:
        OnReset();
        *result = 0;
        break;
    default:
        return CDialog::OnNotify(wParam, lParam, result);
    }
    // The sheet reads the answer either from the call's result or from the dialog's slot.
    SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, *result);
    return TRUE;
}

BOOL CPropertyPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // OK and Cancel belong to the sheet; a page never ends the dialog on them.
    if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
        return CWnd::OnCommand(wParam, lParam);
    return CDialog::OnCommand(wParam, lParam);
}
