#include "framework/CPropertySheet.h"

#include "framework/CWinApp.h"

namespace {
// The platform's sheet callback carries no parameter; one modal sheet starts at a time.
CPropertySheet* g_startingSheet = nullptr;
}

CPropertySheet::CPropertySheet(LPCWSTR caption, CWnd* parent, UINT selectPage)
    : m_psh(), m_strCaption(caption), m_pParentWnd(parent)
{
    m_psh.dwSize = sizeof(m_psh);
    m_psh.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK;
    m_psh.hInstance = AfxGetInstanceHandle();
    m_psh.nStartPage = selectPage;
    m_psh.pfnCallback = &CPropertySheet::SheetCallback;
}

CPropertySheet::CPropertySheet(UINT captionId, CWnd* parent, UINT selectPage)
    : CPropertySheet(static_cast<LPCWSTR>(nullptr), parent, selectPage)
{
    m_strCaption.LoadString(captionId);
}

INT_PTR CPropertySheet::DoModal()
{
    if (m_pages.empty())
        return -1;
    std::vector<PROPSHEETPAGEW> pages;
    for (CPropertyPage* page : m_pages)
        pages.push_back(page->m_psp);
    PROPSHEETHEADERW header = m_psh;
    // Without a parent the sheet has no owner; with one, it disables that window's top level.
    header.hwndParent = m_pParentWnd != nullptr ? GetSafeOwner(m_pParentWnd) : nullptr;
    header.pszCaption = m_strCaption;
    header.nPages = static_cast<UINT>(pages.size());
    if (header.nStartPage >= header.nPages)
        header.nStartPage = 0;
    header.ppsp = pages.data();
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
