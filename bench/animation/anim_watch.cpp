// Watches an animation from outside through the screen, never taking focus (the saver ends when it loses it).
// "start SECONDS PROGRAM [ARGS]": launches PROGRAM and prints the times to its window, its intro, the
//   intro's end and the first line pixel. "fps SECONDS": prints how fast lines move, in px per second,
//   which is frames per second for lines that move 1 px a frame. "memory NAME": prints the memory counters
//   of the process, found by image name, that owns a visible top-level window.

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// One copy of the whole screen as lit (not black) or dark pixels, stamped at the middle of the copy.
struct Shot {
    int width = 0;
    int height = 0;
    double time = 0;
    std::vector<unsigned char> lit;
    bool At(int x, int y) const { return lit[static_cast<size_t>(y) * width + x] != 0; }
};

class ScreenReader {
public:
    ScreenReader()
    {
        m_width = GetSystemMetrics(SM_CXSCREEN);
        m_height = GetSystemMetrics(SM_CYSCREEN);
        m_screen = GetDC(nullptr);
        m_memory = CreateCompatibleDC(m_screen);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = m_width;
        info.bmiHeader.biHeight = -m_height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_bitmap = CreateDIBSection(m_screen, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_pixels), nullptr, 0);
        m_old = SelectObject(m_memory, m_bitmap);
    }
    ~ScreenReader()
    {
        SelectObject(m_memory, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_memory);
        ReleaseDC(nullptr, m_screen);
    }
    ScreenReader(const ScreenReader&) = delete;
    ScreenReader& operator=(const ScreenReader&) = delete;

    Shot Take()
    {
        Shot shot;
        shot.width = m_width;
        shot.height = m_height;
        const double before = Now();
        BitBlt(m_memory, 0, 0, m_width, m_height, m_screen, 0, 0, SRCCOPY);
        GdiFlush();
        shot.time = (before + Now()) / 2;
        shot.lit.resize(static_cast<size_t>(m_width) * m_height);
        for (size_t i = 0; i < shot.lit.size(); ++i)
            shot.lit[i] = (m_pixels[i] & 0xFFFFFF) != 0;
        return shot;
    }

private:
    int m_width = 0, m_height = 0;
    HDC m_screen = nullptr, m_memory = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    unsigned* m_pixels = nullptr;
};

long long LitCount(const Shot& shot, int left, int top, int right, int bottom)
{
    long long count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            count += shot.At(x, y);
    return count;
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

int Start(double timeout, int argc, wchar_t** argv)
{
    std::wstring command;
    for (int i = 0; i < argc; ++i) {
        if (i > 0)
            command += L" ";
        command += i == 0 ? L"\"" + std::wstring(argv[i]) + L"\"" : std::wstring(argv[i]);
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const double start = Now();
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("could not start the program (error %lu)\n", GetLastError());
        return 1;
    }
    WindowSearch search = {process.dwProcessId, nullptr};
    while (search.found == nullptr && Now() - start < timeout) {
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr)
            Sleep(2);
    }
    const double windowAt = Now() - start;
    // The intro is lit in the middle with dark corners; the X root's pattern is lit everywhere.
    ScreenReader reader;
    double introAt = -1, clearedAt = -1, lineAt = -1;
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    while (search.found != nullptr && lineAt < 0 && Now() - start < timeout) {
        const Shot shot = reader.Take();
        const long long corners = LitCount(shot, 0, 0, 32, 32) + LitCount(shot, w - 32, h - 32, w, h);
        const long long all = LitCount(shot, 0, 0, w, h);
        if (introAt < 0) {
            if (corners == 0 && all > 0)
                introAt = shot.time - start;
        } else if (clearedAt < 0) {
            if (all == 0)
                clearedAt = shot.time - start;
        } else if (all > 0) {
            lineAt = shot.time - start;
        }
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("window %.3f s, intro %.3f s, intro cleared %.3f s, first line pixel %.3f s\n", windowAt, introAt,
                clearedAt, lineAt);
    return lineAt < 0 ? 1 : 0;
}

// Best horizontal shift of the band's lit pixels from one shot to the next; 0 when none fits well.
int BandShift(const Shot& a, const Shot& b, int top, int bottom, int maxShift, double& score)
{
    std::vector<std::pair<int, int>> points;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.At(x, y))
                points.emplace_back(x, y);
    int best = 0;
    score = 0;
    for (int d = -maxShift; d <= maxShift; ++d) {
        if (d == 0)
            continue;
        long long inside = 0, hits = 0;
        for (const auto& p : points) {
            const int x = p.first + d;
            if (x < 0 || x >= b.width)
                continue;
            ++inside;
            hits += b.At(x, p.second);
        }
        // Too little of the line left on screen says nothing about its speed.
        if (inside < 150)
            continue;
        const double fit = static_cast<double>(hits) / static_cast<double>(inside);
        if (fit > score) {
            score = fit;
            best = d;
        }
    }
    return best;
}

int Fps(double seconds, int intervalMs)
{
    ScreenReader reader;
    std::vector<Shot> shots;
    const double start = Now();
    while (Now() - start < seconds) {
        shots.push_back(reader.Take());
        Sleep(static_cast<DWORD>(intervalMs));
    }
    double pixels = 0, time = 0;
    int matched = 0, bands = 0;
    for (size_t i = 1; i < shots.size(); ++i) {
        const Shot& a = shots[i - 1];
        const Shot& b = shots[i];
        const double dt = b.time - a.time;
        const int maxShift = static_cast<int>(dt * 200) + 5;
        // A band is a run of screen rows lit in either shot: one line row each.
        int y = 0;
        while (y < a.height) {
            auto rowLit = [&](int row) {
                for (int x = 0; x < a.width; ++x)
                    if (a.At(x, row) || b.At(x, row))
                        return true;
                return false;
            };
            if (!rowLit(y)) {
                ++y;
                continue;
            }
            const int top = y;
            while (y < a.height && rowLit(y))
                ++y;
            ++bands;
            double score = 0;
            const int shift = BandShift(a, b, top, y, maxShift, score);
            if (shift != 0 && score >= 0.97) {
                pixels += std::abs(shift);
                time += dt;
                ++matched;
            }
        }
    }
    std::printf("moved %.1f px/s (%d of %d band pairs matched, %zu shots)\n", time > 0 ? pixels / time : 0.0, matched,
                bands, shots.size());
    return matched > 0 ? 0 : 1;
}

struct ImageSearch {
    const wchar_t* name;
    DWORD processId;
};

BOOL CALLBACK FindImageWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<ImageSearch*>(parameter);
    if (!IsWindowVisible(window))
        return TRUE;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, owner);
    if (process == nullptr)
        return TRUE;
    wchar_t image[MAX_PATH] = {};
    GetModuleFileNameExW(process, nullptr, image, MAX_PATH);
    CloseHandle(process);
    if (wcsstr(image, search->name) != nullptr) {
        search->processId = owner;
        return FALSE;
    }
    return TRUE;
}

int Memory(const wchar_t* name)
{
    ImageSearch search = {name, 0};
    EnumWindows(FindImageWindow, reinterpret_cast<LPARAM>(&search));
    const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, search.processId);
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (search.processId == 0 || process == nullptr || !GetProcessMemoryInfo(process, &counters, sizeof(counters))) {
        std::printf("no process with a window for %ls\n", name);
        return 1;
    }
    CloseHandle(process);
    std::printf("working set %zu KiB, peak %zu KiB, private %zu KiB\n", counters.WorkingSetSize / 1024,
                counters.PeakWorkingSetSize / 1024, counters.PagefileUsage / 1024);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc > 3 && wcscmp(argv[1], L"start") == 0)
        return Start(_wtof(argv[2]), argc - 3, argv + 3);
    if (argc > 2 && wcscmp(argv[1], L"fps") == 0)
        return Fps(_wtof(argv[2]), argc > 3 ? _wtoi(argv[3]) : 500);
    if (argc > 2 && wcscmp(argv[1], L"memory") == 0)
        return Memory(argv[2]);
    std::printf("usage: anim_watch start SECONDS PROGRAM [ARGS] | fps SECONDS [INTERVAL_MS] | memory NAME\n");
    return 2;
}
