#pragma once

#include <windows.h>

#include <vector>

// The screens the full-screen saver covers: the primary one, where the saver draws, and the others.
struct MonitorLayout {
    RECT primary;
    std::vector<RECT> others;
};

using MonitorLister = MonitorLayout (*)();

// The platform's layout; the primary is (0, 0, SM_CXSCREEN, SM_CYSCREEN), as the saver always drew.
MonitorLayout SystemMonitorLayout();

// What the full-screen saver asks; only tests ever change it (Wine shows a single monitor).
MonitorLister& CurrentMonitorLister();
