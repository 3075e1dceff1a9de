#include "app/CSaverFrameWnd.h"

#include "app/CCoverWnd.h"

CSaverFrameWnd::CSaverFrameWnd() : CMonitorWnd(TRUE), m_firstMouse{-1, -1}
{
}

CSaverFrameWnd::~CSaverFrameWnd() = default;

BOOL CSaverFrameWnd::CreateFullScreen()
{
    const MonitorLayout layout = CurrentMonitorLister()();
    if (!Create(WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, layout.primary, nullptr, 0))
        return FALSE;
    CoverMonitors(layout);
    return TRUE;
}

void CSaverFrameWnd::CoverMonitors(const MonitorLayout& layout)
{
    for (const RECT& monitor : layout.others) {
        // A monitor overlapping the primary (a duplicated display) stays uncovered: an owned cover would sit
        // above this window and hide its lines.
        RECT common;
        if (IntersectRect(&common, &monitor, &layout.primary))
            continue;
        auto* cover = new CCoverWnd(m_hWnd);
        if (cover->Create(monitor))
            m_covers.push_back(cover->GetSafeHwnd());
    }
}

void CSaverFrameWnd::RemoveCovers()
{
    for (HWND cover : m_covers)
        ::DestroyWindow(cover);
    m_covers.clear();
}

void CSaverFrameWnd::OnDisplayChange(UINT bitsPerPixel, int width, int height)
{
    // A monitor added, removed, moved or made primary: take the new primary, where the rows follow the new
    // height, and cover the others.
    const MonitorLayout layout = CurrentMonitorLister()();
    const RECT& primary = layout.primary;
    SetWindowPos(m_hWnd, nullptr, primary.left, primary.top, primary.right - primary.left,
                 primary.bottom - primary.top, SWP_NOZORDER | SWP_NOACTIVATE);
    RemoveCovers();
    CoverMonitors(layout);
    CMonitorWnd::OnDisplayChange(bitsPerPixel, width, height);
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
    // The system has destroyed the owned covers already.
    m_covers.clear();
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
