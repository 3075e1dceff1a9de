#include "framework/CDialog.h"

#include "framework/CDataExchange.h"
#include "framework/CWinApp.h"

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDHelp(templateId), m_pParentWnd(parent) {}

INT_PTR CDialog::DoModal()
{
    return DialogBoxParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(m_nIDHelp), GetSafeOwner(m_pParentWnd),
                           &CDialog::DialogEntry, reinterpret_cast<LPARAM>(this));
}

// Only WM_INITDIALOG is answered here: once subclassed, every later message reaches the
// handlers through the window procedure, and this procedure's FALSE lets the dialog manager
// do the rest.
INT_PTR CALLBACK CDialog::DialogEntry(HWND window, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG || lParam == 0)
        return FALSE;
    return reinterpret_cast<CDialog*>(lParam)->InitializeDialog(window);
}

BOOL CDialog::InitializeDialog(HWND window)
{
    if (!SubclassWindow(window))
        return TRUE;
    return OnInitDialog();
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK()
{
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    // Enter, Escape and the close box arrive as these two commands.
    if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDOK) {
        OnOK();
        return TRUE;
    }
    if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}
