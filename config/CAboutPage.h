#pragma once

#include "framework/CPropertyPage.h"
#include "hlink/CHLinkCtrl.h"

// The "About" tab: product, version and the maker's address as a link; writes nothing.
class CAboutPage : public CPropertyPage {
public:
    CAboutPage();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* exchange) override;

private:
    CHLinkCtrl m_link;
};
