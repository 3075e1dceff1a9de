#include "WatchedMonitorWnd.h"

namespace {

// The window's animation timer; timer 1 only ends the intro.
constexpr UINT_PTR kFrameTimer = 2;

LONGLONG Now()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

double Milliseconds(LONGLONG ticks)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

} // namespace

WatchedMonitorWnd::WatchedMonitorWnd() : CMonitorWnd(FALSE) {}

void WatchedMonitorWnd::OnTimer(UINT_PTR id)
{
    if (id != kFrameTimer) {
        CMonitorWnd::OnTimer(id);
        return;
    }
    const LONGLONG start = Now();
    if (m_frames > 0 && Milliseconds(start - m_lastFrame) > m_longestGapMs)
        m_longestGapMs = Milliseconds(start - m_lastFrame);
    m_lastFrame = start;
    ++m_frames;
    if (beforeFrame)
        beforeFrame();
    CMonitorWnd::OnTimer(id);
    if (afterFrame)
        afterFrame();
}
