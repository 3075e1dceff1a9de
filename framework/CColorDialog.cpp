#include "framework/CColorDialog.h"

#include "framework/CWnd.h"

CColorDialog::CColorDialog(COLORREF initial, DWORD flags, CWnd* parent) : m_cc(), m_customColors(), m_pParentWnd(parent)
{
    m_cc.lStructSize = sizeof(m_cc);
    m_cc.rgbResult = initial;
    m_cc.Flags = flags;
    if (initial != 0)
        m_cc.Flags |= CC_RGBINIT;
    m_cc.lpCustColors = m_customColors;
}

INT_PTR CColorDialog::DoModal()
{
    m_cc.hwndOwner = CWnd::GetSafeOwner(m_pParentWnd);
    return ChooseColorW(&m_cc) ? IDOK : IDCANCEL;
}
