#include "monitor/CMonitoredService.h"

#include "framework/DpiScale.h"
#include "monitor/ServiceApi.h"
#include "monitor/ServiceLine.h"

#include <cstdlib>

#include <memory>

namespace {

ULONGLONG FileTimeValue(const FILETIME &time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

struct TimesSample {
    ULONGLONG created, kernel, user;
};

bool ReadTimes(const ServiceApi &api, HANDLE process, TimesSample &times)
{
    FILETIME creation = {}, exit = {}, kernel = {}, user = {};
    if (!api.getProcessTimes(process, &creation, &exit, &kernel, &user))
        return false;
    times = {FileTimeValue(creation), FileTimeValue(kernel), FileTimeValue(user)};
    return true;
}

// FALSE unless the times read are the process's own; ours tells when they were this program's instead. Wine answers
// GetProcessTimes for any process with the caller's own times; on Windows another process's times match ours only by
// a coincidence of clock ticks, and the list then tells the same. Ours are read before and after, so a tick of our
// own in between cannot hide a match.
bool ReadOthersTimes(const ServiceApi &api, HANDLE process, TimesSample &times, bool &ours)
{
    TimesSample before = {}, after = {};
    const bool ownBefore = ReadTimes(api, GetCurrentProcess(), before);
    if (!ReadTimes(api, process, times))
        return false;
    const bool ownAfter = ReadTimes(api, GetCurrentProcess(), after);
    const auto match = [&times](const TimesSample &own) {
        return own.kernel == times.kernel && own.user == times.user;
    };
    ours = ownBefore && ownAfter && (match(before) || match(after));
    return ownBefore && ownAfter && !ours;
}

} // namespace

CMonitoredService::CMonitoredService()
{
    m_settings.Load();
    m_memDC = CreateCompatibleDC(nullptr);
}

CMonitoredService::~CMonitoredService()
{
    if (m_memDC != nullptr) {
        // Put back what the line displaced, so the DC is deleted holding only its own objects.
        if (m_oldBitmap != nullptr)
            SelectObject(m_memDC, m_oldBitmap);
        if (m_oldFont != nullptr)
            SelectObject(m_memDC, m_oldFont);
        DeleteDC(m_memDC);
    }
    m_server.Empty();
    m_displayName.Empty();
    m_statusText.Empty();
    if (m_bitmap != nullptr)
        DeleteObject(m_bitmap);
    if (m_font != nullptr)
        DeleteObject(m_font);
}

BOOL CMonitoredService::Open(SC_HANDLE manager, LPCWSTR serviceName)
{
    if (!OpenService(manager, serviceName, GENERIC_READ))
        return FALSE;
    // An unreadable configuration only leaves the display name empty.
    std::unique_ptr<BYTE[]> block;
    if (QueryConfig(block)) {
        const auto *config = reinterpret_cast<const QUERY_SERVICE_CONFIGW *>(block.get());
        m_displayName = config->lpDisplayName;
    }
    return TRUE;
}

BOOL CMonitoredService::SetServerName(LPCWSTR name)
{
    if (name == nullptr || *name == L'\0')
        return FALSE;
    m_server = name;
    return TRUE;
}

BOOL CMonitoredService::SetStatusText(DWORD state)
{
    switch (state) {
    case SERVICE_STOPPED:
        m_statusText = L"Stopped";
        break;
    case SERVICE_START_PENDING:
        m_statusText = L"Starting";
        break;
    case SERVICE_STOP_PENDING:
        m_statusText = L"Stopping";
        break;
    case SERVICE_RUNNING:
        m_statusText = L"Running";
        break;
    case SERVICE_PAUSED:
        m_statusText = L"Paused";
        break;
    default:
        // Continue and pause pending deliberately share the text of unknown codes.
        m_statusText = L"Unknown";
        break;
    }
    return TRUE;
}

BOOL CMonitoredService::Refresh(BOOL restart, CProcessList *processes)
{
    // A restart holds until a sample is taken: a restart whose measurement failed would otherwise let
    // the next share span all the time since the line was last on screen.
    if (restart)
        m_hasCpuSample = FALSE;
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    if (!QueryStatus(reinterpret_cast<LPBYTE>(&status), sizeof(status), &needed))
        return FALSE;

    SetStatusText(status.dwCurrentState);
    // A remote process cannot be measured from here.
    if (SharesProcess(status.dwServiceType) || m_statusText == L"Stopped" || !m_local) {
        m_memory = 0;
        m_cpu = 0.0f;
        m_shortLine = TRUE;
        return TRUE;
    }
    if (status.dwProcessId == 0) {
        m_memory = 0;
        m_cpu = 0.0f;
        return TRUE;
    }
    CProcessList own;
    return MeasureProcess(status.dwProcessId, restart, processes != nullptr ? *processes : own);
}

BOOL CMonitoredService::MeasureProcess(DWORD processId, BOOL restart, CProcessList &processes)
{
    // The process's own handle first; what it cannot tell (the right to open it refused, as a service's is to a user
    // without elevation), the system's process list tells, when it holds the process.
    const ServiceApi &api = CurrentServiceApi();
    // A process whose handle told this program's times is not asked for them again while the list holds it with the
    // same creation time: the list tells them, and under Wine that saves three calls a row at every refresh.
    CProcessList::Entry entry = {};
    const bool listTimes =
        processId == m_ownTimesProcessId && processes.Find(processId, entry) && entry.created == m_ownTimesCreation;
    bool hasMemory = false, hasTimes = false;
    SIZE_T workingSet = 0;
    ULONGLONG cpuTime = 0, created = 0, now = 0;
    if (const HANDLE process = api.openProcess(PROCESS_QUERY_INFORMATION, FALSE, processId)) {
        // The record's own size goes in its first field, as the call requires.
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof(counters);
        hasMemory = api.getProcessMemoryInfo(process, &counters, sizeof(counters)) != FALSE;
        workingSet = counters.WorkingSetSize;
        TimesSample times = {};
        bool ours = false;
        hasTimes = hasMemory && !listTimes && ReadOthersTimes(api, process, times, ours);
        if (ours) {
            m_ownTimesProcessId = processId;
            m_ownTimesCreation = times.created;
        }
        cpuTime = times.kernel + times.user;
        created = times.created;
        now = hasTimes ? api.monotonicTime() : 0;
        api.closeHandle(process);
    }
    if ((!hasMemory || !hasTimes) && (listTimes || processes.Find(processId, entry))) {
        workingSet = hasMemory ? workingSet : entry.workingSet;
        hasMemory = hasTimes = true;
        cpuTime = entry.cpuTime;
        created = entry.created;
        now = entry.sampleTime;
    }
    if (!hasMemory)
        return FALSE;
    m_memory = static_cast<DWORD>(workingSet / kMemoryUnit);
    if (!hasTimes)
        return FALSE;
    m_curCpuTime = cpuTime;
    // Times of another process are no base for a share: a service started again has new ones, and may
    // have the old process id.
    if (restart || !m_hasCpuSample || processId != m_sampledProcessId || created != m_sampledCreation) {
        m_prevCpuTime = m_curCpuTime;
        m_prevSampleTime = now;
        m_cpu = 0.0f;
    } else if (now - m_prevSampleTime >= kMinShareSpan) {
        // Only the low 32 bits are compared, so a wrap between samples still gives the true delta.
        const DWORD delta = static_cast<DWORD>(m_curCpuTime) - static_cast<DWORD>(m_prevCpuTime);
        // Percent of one processor over the time between the two samples, shown and kept as at most 100.
        m_cpu =
            static_cast<float>(ServiceLine::ClampedCpu(100.0 * delta / static_cast<double>(now - m_prevSampleTime)));
        m_prevCpuTime = m_curCpuTime;
        m_prevSampleTime = now;
    }
    m_hasCpuSample = TRUE;
    m_sampledProcessId = processId;
    m_sampledCreation = created;
    return TRUE;
}

BOOL CMonitoredService::GetStatusText(CString &text) const
{
    text = m_statusText;
    return TRUE;
}

BOOL CMonitoredService::GetCpu(float &cpu) const
{
    cpu = m_cpu;
    return TRUE;
}

BOOL CMonitoredService::GetMemory(DWORD &memory) const
{
    memory = m_memory;
    return TRUE;
}

BOOL CMonitoredService::Render(int dpi)
{
    if (m_font != nullptr || m_bitmap != nullptr)
        ReleaseLine();
    // The stored height is for a 96-DPI screen: the line keeps its physical size on this one.
    const LOGFONTW font = DpiScale::ScaleFont(m_settings.LogFont, dpi > 0 ? dpi : DpiScale::Dpi(m_memDC));
    m_font = CreateFontIndirectW(&font);
    m_oldFont = SelectObject(m_memDC, m_font);
    m_cpu = static_cast<float>(ServiceLine::ClampedCpu(m_cpu));
    const CString line = ServiceLine::Format(m_server, m_displayName, m_statusText, m_shortLine != FALSE, m_memory, m_cpu);
    // The terminating NUL is measured too, which leaves a little room after the text.
    if (!GetTextExtentPoint32W(m_memDC, line, line.GetLength() + 1, &m_size))
        m_size = SIZE{0, 0};
    m_bitmap = CreateBitmap(m_size.cx, m_size.cy, 1, 1, nullptr);
    m_oldBitmap = SelectObject(m_memDC, m_bitmap);
    // On a one-bit bitmap the background colour gives clear bits and any other colour set bits.
    SetBkColor(m_memDC, RGB(0, 0, 0));
    SetTextColor(m_memDC, RGB(255, 0, 0));
    TextOutW(m_memDC, 0, 0, line, line.GetLength());
    return TRUE;
}

BOOL CMonitoredService::ReleaseLine()
{
    if (m_oldBitmap != nullptr)
        SelectObject(m_memDC, m_oldBitmap);
    if (m_oldFont != nullptr)
        SelectObject(m_memDC, m_oldFont);
    m_oldBitmap = m_oldFont = nullptr;
    if (m_font != nullptr)
        DeleteObject(m_font);
    if (m_bitmap != nullptr)
        DeleteObject(m_bitmap);
    m_font = nullptr;
    m_bitmap = nullptr;
    return TRUE;
}

BOOL CMonitoredService::PlaceRandomly(HWND window)
{
    if (window == nullptr)
        return FALSE;
    RECT client = {};
    GetClientRect(window, &client);
    m_direction = rand() % 2;
    const int offset = rand() % 1001;
    m_x = ServiceLine::StartX(m_direction, offset, client.left, client.right, m_size.cx);
    return TRUE;
}
