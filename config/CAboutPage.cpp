#include "config/CAboutPage.h"

#include "BuildSettings.h"
#include "framework/CDataExchange.h"
#include "res/resource.h"

CAboutPage::CAboutPage() : CPropertyPage(IDD_ABOUT_PAGE) {}

void CAboutPage::DoDataExchange(CDataExchange* exchange)
{
    DDX_Control(exchange, IDC_WEB_LINK, m_link);
}

BOOL CAboutPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    // The link opens the same address it shows.
    m_link.SetURL(MAKER_URL);
    return TRUE;
}
