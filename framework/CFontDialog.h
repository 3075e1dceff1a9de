#pragma once

#include "framework/CObject.h"

#include <windows.h>
#include <commdlg.h>

class CWnd;

// The platform's font chooser, run modally.
class CFontDialog : public CObject {
public:
    explicit CFontDialog(const LOGFONTW* initial = nullptr, DWORD flags = CF_EFFECTS | CF_SCREENFONTS,
                         HDC printer = nullptr, CWnd* parent = nullptr);
    CFontDialog(const CFontDialog&) = delete;
    CFontDialog& operator=(const CFontDialog&) = delete;

    // IDOK when a font was chosen (written to *m_cf.lpLogFont), IDCANCEL otherwise.
    INT_PTR DoModal();

    // Callers may point lpLogFont at their own record; the dialog then writes the choice there.
    CHOOSEFONTW m_cf;

private:
    LOGFONTW m_lf;
    CWnd* m_pParentWnd;
};
