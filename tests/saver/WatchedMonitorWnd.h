#pragma once

#include "display/CMonitorWnd.h"

#include <functional>
#include <vector>

// The drawing window with its animation frames timed and its services readable, for a test that
// runs it in its own process. Not self-deleting: the test owns the object.
class WatchedMonitorWnd : public CMonitorWnd {
public:
    WatchedMonitorWnd();

    // Called on the window's thread just before and just after each animation frame.
    std::function<void()> beforeFrame;
    std::function<void()> afterFrame;

    int Frames() const { return m_frames; }
    // The longest time between the starts of two frames in a row, in milliseconds.
    double LongestGapMs() const { return m_longestGapMs; }
    // True when the coming frame asks the services on screen for their state again.
    bool FrameRefreshes() const { return m_tick == 0; }
    const std::vector<CMonitoredService*>& Displayed() const { return m_displayed; }
    const CMonitoredList& Services() const { return m_services; }

protected:
    void OnTimer(UINT_PTR id) override;

private:
    int m_frames = 0;
    LONGLONG m_lastFrame = 0;
    double m_longestGapMs = 0;
};
