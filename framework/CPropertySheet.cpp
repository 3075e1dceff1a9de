#include "framework/CPropertySheet.h"

#include "framework/CWinApp.h"

namespace {
// The platform's sheet callback carries no parameter; one modal sheet starts at a time.
CPropertySheet* g_startingSheet = nullptr;
}

CPropertySheet::CPropertySheet(LPCWSTR caption, CWnd* parent, UINT selectPage)
    : m_strCaption(caption), m_pParentWnd(parent), m_nStartPage(selectPage)
{
}

INT_PTR CPropertySheet::DoModal()
{
    if (m_pages.empty())
        return -1;
    std::vector<PROPSHEETPAGEW> pages;
    for (CPropertyPage* page : m_pages)
        pages.push_back(page->m_psp);
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK;
    header.hwndParent = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : nullptr;
    header.hInstance = AfxGetInstanceHandle();
    header.pszCaption = m_strCaption;
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = m_nStartPage < header.nPages ? m_nStartPage : 0;
    header.ppsp = pages.data();
    header.pfnCallback = &CPropertySheet::SheetCallback;
    g_startingSheet = this;
    const INT_PTR result = PropertySheetW(&header);
    g_startingSheet = nullptr;
    return result;
}

int CALLBACK CPropertySheet::SheetCallback(HWND window, UINT message, LPARAM)
{
    if (message == PSCB_INITIALIZED && g_startingSheet != nullptr) {
        g_startingSheet->SubclassWindow(window);
        g_startingSheet = nullptr;
    }
    return 0;
}

BOOL CPropertySheet::OnHelpInfo(HELPINFO*)
{
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->OnCmdMsg(ID_HELP);
}
