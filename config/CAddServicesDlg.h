#pragma once

#include "framework/CDialog.h"
#include "framework/CStringArray.h"
#include "settings/CSaverSettings.h"

#include <memory>

// The "Services" dialog the Services page opens to pick services of one computer.
class CAddServicesDlg : public CDialog {
public:
    explicit CAddServicesDlg(CWnd* parent = nullptr);
    ~CAddServicesDlg() override;

    // Lists the Win32 services of m_strServer; false (and an empty list) when they can't be read.
    BOOL FillServiceList();

    // Never loaded: only its default server name, the local computer's, is used.
    CSaverSettings m_settings;
    // Display names selected when OK was pressed, in list order.
    CStringArray m_arrChosen;
    // True exactly when the dialog was closed with OK.
    BOOL m_bChanged;
    // Whose services are listed; empty means the local computer. On OK, the server handed back.
    CString m_strServer;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void OnSelectAll();
    void OnSelectNone();
    void OnSelectRunning();
    void OnBrowseServer();
    void ClearSelection();

    // The last fill's records, kept for "&Running".
    std::unique_ptr<BYTE[]> m_services;
    DWORD m_serviceCount;
};
