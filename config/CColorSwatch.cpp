#include "config/CColorSwatch.h"

CColorSwatch::CColorSwatch(LPCWSTR stateName)
{
    m_settings.Load();
    COLORREF color = 0;
    if (lstrcmpiW(stateName, L"Running") == 0)
        color = m_settings.RunningColor;
    else if (lstrcmpiW(stateName, L"Stopped") == 0)
        color = m_settings.StoppedColor;
    else if (lstrcmpiW(stateName, L"Paused") == 0)
        color = m_settings.PausedColor;
    else if (lstrcmpiW(stateName, L"Other") == 0)
        color = m_settings.OtherColor;
    SetColor(color);
}

void CColorSwatch::SetColor(COLORREF color)
{
    // Attach releases the previous brush, so the swatch never holds more than one.
    m_brush.CreateSolidBrush(color);
    if (m_hWnd != nullptr)
        InvalidateRect(nullptr, FALSE);
}

BOOL CColorSwatch::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message != WM_CTLCOLORSTATIC)
        return CStatic::OnChildNotify(message, wParam, lParam, result);
    *result = reinterpret_cast<LRESULT>(static_cast<HBRUSH>(m_brush));
    return TRUE;
}
