#pragma once

#include "framework/CObject.h"

#include <windows.h>
#include <commdlg.h>

class CWnd;

// The platform's colour chooser, run modally.
class CColorDialog : public CObject {
public:
    explicit CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* parent = nullptr);
    CColorDialog(const CColorDialog&) = delete;
    CColorDialog& operator=(const CColorDialog&) = delete;

    // IDOK when a colour was chosen, IDCANCEL otherwise.
    INT_PTR DoModal();
    COLORREF GetColor() const { return m_cc.rgbResult; }

    // Callers may point lpCustColors at their own 16 colours; the dialog edits them in place.
    CHOOSECOLORW m_cc;

private:
    COLORREF m_customColors[16];
    CWnd* m_pParentWnd;
};
