#include "framework/CFontDialog.h"

#include "framework/CWnd.h"

CFontDialog::CFontDialog(const LOGFONTW* initial, DWORD flags, HDC printer, CWnd* parent)
    : m_cf(), m_lf(), m_pParentWnd(parent)
{
    m_cf.lStructSize = sizeof(m_cf);
    m_cf.Flags = flags;
    if (initial != nullptr) {
        m_lf = *initial;
        m_cf.Flags |= CF_INITTOLOGFONTSTRUCT;
    }
    m_cf.lpLogFont = &m_lf;
    m_cf.hDC = printer;
}

INT_PTR CFontDialog::DoModal()
{
    m_cf.hwndOwner = CWnd::GetSafeOwner(m_pParentWnd);
    return ChooseFontW(&m_cf) ? IDOK : IDCANCEL;
}
