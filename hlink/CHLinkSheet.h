#pragma once

#include "framework/CPropertySheet.h"
#include "hlink/CHLinkPage.h"

// A link's properties: one page, OK and Cancel only when the caller adds PSH_NOAPPLYNOW.
class CHLinkSheet : public CPropertySheet {
public:
    CHLinkSheet(UINT captionId, CWnd* parent, UINT selectPage) : CPropertySheet(captionId, parent, selectPage)
    {
        AddPage(&m_linkPage);
    }

    CHLinkPage m_linkPage;
};
