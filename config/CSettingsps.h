#pragma once

#include "framework/CPropertySheet.h"

// The "Setup" sheet; its pages do all the work.
class CSettingsps : public CPropertySheet {
public:
    CSettingsps(LPCWSTR caption, CWnd* parent, UINT selectPage) : CPropertySheet(caption, parent, selectPage) {}
};
