#pragma once

#include "monitor/CProcessList.h"
#include "monitor/CServiceHandle.h"
#include "settings/CSaverSettings.h"

#include <windows.h>

// One monitored (server, service) pair: its state, the memory and processor share of its process,
// and what its line on screen is drawn with.
class CMonitoredService : public CServiceHandle {
public:
    // Working set is shown in units of 1000 bytes.
    static constexpr SIZE_T kMemoryUnit = 1000;
    // Windows counts process times in clock ticks of 15.6 ms: over a shorter span than this, half the
    // drawing window's refresh period, one tick would dominate the share, so a shorter span keeps its
    // baseline and the share shown before. In 100-ns units.
    static constexpr ULONGLONG kMinShareSpan = 5000000;

    CMonitoredService();
    ~CMonitoredService() override;

    BOOL Open(SC_HANDLE manager, LPCWSTR serviceName);
    BOOL SetServerName(LPCWSTR name);
    BOOL SetStatusText(DWORD state);
    // Where the process's own handle cannot tell its figures, they come from the system's process list: the round's
    // list when one is given, else one asked for this refresh alone.
    BOOL Refresh(BOOL restart, CProcessList *processes = nullptr);
    BOOL GetStatusText(CString &text) const;
    BOOL GetCpu(float &cpu) const;
    BOOL GetMemory(DWORD &memory) const;

    // Formats, measures and draws the line into its one-bit bitmap (text bits set), for a screen of dpi (0: the
    // screen's as this process sees it now).
    BOOL Render(int dpi = 0);
    // Gives back the line's font and bitmap, restoring what they displaced in m_memDC.
    BOOL ReleaseLine();
    // Picks the side the line comes from and its starting x, wholly outside the window.
    BOOL PlaceRandomly(HWND window);

    // The drawing window reads and moves the line through these directly.
    SIZE m_size = {0, 0};
    HDC m_memDC = nullptr;
    int m_x = 0;
    BOOL m_local = TRUE;
    BOOL m_shortLine = FALSE;
    BOOL m_inUse = FALSE;
    int m_direction = 1;
    CSaverSettings m_settings;
    // Owned line font and bitmap, and the objects they displaced in m_memDC (borrowed).
    HFONT m_font = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    HGDIOBJ m_oldFont = nullptr;
    CString m_server;
    CString m_displayName;
    CString m_statusText;
    float m_cpu = 0.0f;
    DWORD m_memory = 0;
    ULONGLONG m_prevCpuTime = 0;
    ULONGLONG m_curCpuTime = 0;
    // When m_prevCpuTime was taken, on the monotonic clock: refreshes come on the system's timer
    // ticks, not every second, so the share is taken over the time that really passed.
    ULONGLONG m_prevSampleTime = 0;

private:
    // Measures the process once the state allows it; the state text is already set.
    BOOL MeasureProcess(DWORD processId, BOOL restart, CProcessList &processes);
    // A process shares its measure with every service it hosts, so none of them shows it as its own. Per-user and
    // interactive services carry more bits; a shared service Windows runs in a host of its own reports both process
    // bits, and is measured.
    static bool SharesProcess(DWORD serviceType)
    {
        return (serviceType & SERVICE_WIN32) == SERVICE_WIN32_SHARE_PROCESS;
    }

    // Until a sample exists any measurement restarts, so no share is taken against nothing.
    BOOL m_hasCpuSample = FALSE;
    // The process the last sample came from: its id and its creation time.
    DWORD m_sampledProcessId = 0;
    ULONGLONG m_sampledCreation = 0;
    // The last process whose handle told this program's own times, by id and creation time.
    DWORD m_ownTimesProcessId = 0;
    ULONGLONG m_ownTimesCreation = 0;
};
