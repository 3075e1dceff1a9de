#pragma once

#include "framework/CPropertyPage.h"
#include "framework/CString.h"

#include <vector>

// A modal property sheet over pages the caller owns.
class CPropertySheet : public CWnd {
public:
    CPropertySheet(LPCWSTR caption, CWnd* parent = nullptr, UINT selectPage = 0);
    // The caption from the string table.
    CPropertySheet(UINT captionId, CWnd* parent = nullptr, UINT selectPage = 0);

    void AddPage(CPropertyPage* page) { m_pages.push_back(page); }
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    // The platform's result: positive when the sheet ran, -1 when it could not be shown.
    virtual INT_PTR DoModal();

    // Callers may add flags (PSH_NOAPPLYNOW) before DoModal; the pages are filled in there.
    PROPSHEETHEADERW m_psh;

protected:
    // F1 anywhere in the sheet asks the application for help.
    BOOL OnHelpInfo(HELPINFO* info) override;

private:
    static int CALLBACK SheetCallback(HWND window, UINT message, LPARAM lParam);

    CString m_strCaption;
    CWnd* m_pParentWnd;
    std::vector<CPropertyPage*> m_pages;
};
