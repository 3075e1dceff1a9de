#include "hlink/CHLinkPage.h"

#include "hlink/CHLinkCtrl.h"
#include "res/resource.h"

#include <string>

CHLinkPage::CHLinkPage() : CPropertyPage(IDD_LINK_PAGE), m_pLink(nullptr) {}

BOOL CHLinkPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    if (m_pLink == nullptr)
        return TRUE;
    HWND link = m_pLink->GetSafeHwnd();
    const int length = GetWindowTextLengthW(link);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(link, &text[0], length + 1);
    SetDlgItemText(IDC_LINK_TEXT, text.c_str());
    SetDlgItemText(IDC_LINK_URL, m_pLink->GetURL());
    return TRUE;
}
