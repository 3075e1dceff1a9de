#include "app/CCoverWnd.h"

#include "framework/CWinApp.h"
#include "res/resource.h"

CCoverWnd::CCoverWnd(HWND frame) : m_frame(frame), m_firstMouse{-1, -1}
{
}

BOOL CCoverWnd::Create(const RECT& monitor)
{
    static LPCWSTR className =
        AfxRegisterWndClass(0, LoadCursorW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDC_BLANK)),
                            static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), nullptr);
    // Owned by the frame, so it goes with it; shown without being activated.
    if (!CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, className, L"", WS_POPUP, monitor.left,
                  monitor.top, monitor.right - monitor.left, monitor.bottom - monitor.top, m_frame, nullptr))
        return FALSE;
    ShowWindow(m_hWnd, SW_SHOWNA);
    return TRUE;
}

void CCoverWnd::PostNcDestroy()
{
    delete this;
}

BOOL CCoverWnd::OnSetCursor(HWND, UINT, UINT)
{
    SetCursor(nullptr);
    return TRUE;
}

int CCoverWnd::OnMouseActivate(HWND, UINT, UINT)
{
    return MA_NOACTIVATE;
}

void CCoverWnd::OnMouseMove(UINT flags, POINT point)
{
    // Like the frame: the move reported when the window appears under a still mouse is only recorded.
    if (m_firstMouse.x == -1 && m_firstMouse.y == -1)
        m_firstMouse = point;
    else if (point.x != m_firstMouse.x || point.y != m_firstMouse.y)
        ::PostMessageW(m_frame, WM_CLOSE, 0, 0);
    CWnd::OnMouseMove(flags, point);
}

void CCoverWnd::OnButtonDown(UINT message, UINT flags, POINT point)
{
    ::PostMessageW(m_frame, WM_CLOSE, 0, 0);
    CWnd::OnButtonDown(message, flags, point);
}
