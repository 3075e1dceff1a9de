#include "app/CSaverFrameWnd.h"

CSaverFrameWnd::CSaverFrameWnd() : CMonitorWnd(TRUE), m_firstMouse{-1, -1}
{
}

CSaverFrameWnd::~CSaverFrameWnd() = default;

BOOL CSaverFrameWnd::CreateFullScreen()
{
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return Create(WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, screen, nullptr, 0);
}

void CSaverFrameWnd::RequestClose()
{
    PostMessage(WM_CLOSE);
}

void CSaverFrameWnd::OnSysCommand(UINT id, LPARAM lParam)
{
    // No second saver, and no close from the system menu: only the user's input ends this one.
    const UINT command = id & 0xFFF0;
    if (command == SC_SCREENSAVE || command == SC_CLOSE)
        return;
    CMonitorWnd::OnSysCommand(id, lParam);
}

void CSaverFrameWnd::OnDestroy()
{
    PostQuitMessage(0);
    CMonitorWnd::OnDestroy();
}

BOOL CSaverFrameWnd::OnSetCursor(HWND, UINT, UINT)
{
    SetCursor(nullptr);
    return TRUE;
}

BOOL CSaverFrameWnd::OnNcActivate(BOOL active)
{
    if (!active)
        return FALSE;
    return CMonitorWnd::OnNcActivate(active);
}

void CSaverFrameWnd::OnActivate(UINT state, HWND other, BOOL minimized)
{
    if (state == WA_INACTIVE)
        RequestClose();
    CMonitorWnd::OnActivate(state, other, minimized);
}

void CSaverFrameWnd::OnActivateApp(BOOL active, DWORD threadId)
{
    if (!active)
        RequestClose();
    CMonitorWnd::OnActivateApp(active, threadId);
}

void CSaverFrameWnd::OnMouseMove(UINT flags, POINT point)
{
    // The move the system reports under a still mouse when the window appears is only recorded.
    if (m_firstMouse.x == -1 && m_firstMouse.y == -1)
        m_firstMouse = point;
    else if (point.x != m_firstMouse.x || point.y != m_firstMouse.y)
        RequestClose();
    CMonitorWnd::OnMouseMove(flags, point);
}

void CSaverFrameWnd::OnButtonDown(UINT message, UINT flags, POINT point)
{
    RequestClose();
    CMonitorWnd::OnButtonDown(message, flags, point);
}

void CSaverFrameWnd::OnKeyDown(UINT message, UINT key, UINT flags)
{
    RequestClose();
    CMonitorWnd::OnKeyDown(message, key, flags);
}
