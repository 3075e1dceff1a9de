#pragma once

#include "framework/CWnd.h"

class CDataExchange;

// A modal dialog on a template of the program's resources.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // IDOK or IDCANCEL as the dialog ended, -1 when it could not be shown.
    virtual INT_PTR DoModal();
    void EndDialog(int result) { ::EndDialog(m_hWnd, result); }
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

protected:
    // Runs the data exchange; TRUE lets the platform set the focus.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* exchange);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    // Hooks the dialog window into this object when the platform first hands it over.
    BOOL InitializeDialog(HWND window);

    UINT m_nIDHelp;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogEntry(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
