#pragma once

#include "framework/CPropertySheet.h"

// The "Setup" sheet; its pages do all the work.
class CSettingsps : public CPropertySheet {
public:
    // The caption is a string resource, so that it comes in the user's language.
    CSettingsps(UINT captionId, CWnd* parent, UINT selectPage) : CPropertySheet(captionId, parent, selectPage) {}
};
