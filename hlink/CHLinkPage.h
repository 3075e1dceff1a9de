#pragma once

#include "framework/CPropertyPage.h"

class CHLinkCtrl;

// The "General" page of a link's properties: its text and address, read-only.
class CHLinkPage : public CPropertyPage {
public:
    CHLinkPage();

    // Set by the link before the sheet runs; not owned.
    CHLinkCtrl* m_pLink;

protected:
    BOOL OnInitDialog() override;
};
