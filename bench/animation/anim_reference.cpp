// The least a frame of the saver's kind can cost: per 10 ms tick, one BitBlt of a pre-drawn one-bit line
// per row onto a window DC in a state colour and one one-pixel FillRect, lines moving 1 px per tick.
// Command line: rows seconds. Prints the ticks per second it drew over its run.

#include "settings/CSaverSettings.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace {

constexpr UINT_PTR kFrameTimer = 1;
constexpr UINT_PTR kQuitTimer = 2;
constexpr UINT kFrameInterval = 10;
constexpr COLORREF kRunningColor = RGB(0, 255, 0);
// About what a probe service's line shows, so the reference draws lines of the saver's width.
constexpr unsigned kLineMemory = 11300;
// The erase colour the saver uses: a system-colour brush value is the colour index plus one.
const HBRUSH kEraseBrush = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENUTEXT + 1));

struct Row {
    HDC memDC = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    SIZE size = {};
    int x = 0;
    int direction = 0;
};

std::vector<Row> g_rows;
int g_gap = 0;
int g_lineHeight = 0;
unsigned g_seed = 12345;
long long g_ticks = 0;
LARGE_INTEGER g_firstTick = {}, g_lastTick = {};

// A fixed-seed draw keeps every run's line placement alike.
int Draw(int range)
{
    g_seed = g_seed * 1103515245u + 12345u;
    return static_cast<int>((g_seed >> 16) % static_cast<unsigned>(range));
}

// Starts a line beyond the edge it enters from, 0..1000 px away, as the saver places its lines.
void Place(Row& row, int width)
{
    row.direction = Draw(2);
    const int offset = Draw(1001);
    row.x = row.direction == 1 ? offset - row.size.cx - 1000 : offset + width;
}

HFONT CreateLineFont()
{
    // The saver's own default, so both draw the same line.
    LOGFONTW font;
    CSaverSettings::SetDefaultFont(font);
    return CreateFontIndirectW(&font);
}

// Draws each row's text once into its own one-bit bitmap: set bits take the window DC's background colour.
void PrepareRows(HWND window, int count, HFONT font)
{
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(computer, &length);
    RECT client;
    GetClientRect(window, &client);
    const HDC screen = GetDC(window);
    g_rows.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        Row& row = g_rows[static_cast<size_t>(i)];
        wchar_t text[160];
        swprintf(text, 160, L"\\\\%ls\\Quorvane animation probe %03d - Running - Mem:%uKo - CPU:4%%", computer, i,
                 kLineMemory);
        const int chars = static_cast<int>(wcslen(text));
        row.memDC = CreateCompatibleDC(screen);
        SelectObject(row.memDC, font);
        GetTextExtentPoint32W(row.memDC, text, chars + 1, &row.size);
        row.bitmap = CreateBitmap(row.size.cx, row.size.cy, 1, 1, nullptr);
        row.oldBitmap = SelectObject(row.memDC, row.bitmap);
        SetBkColor(row.memDC, RGB(0, 0, 0));
        SetTextColor(row.memDC, RGB(255, 0, 0));
        TextOutW(row.memDC, 0, 0, text, chars);
        g_lineHeight = row.size.cy;
        Place(row, client.right);
    }
    ReleaseDC(window, screen);
    g_gap = (client.bottom - count * g_lineHeight) / (count + 1);
}

void DrawFrame(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    const HDC dc = GetDC(window);
    for (size_t i = 0; i < g_rows.size(); ++i) {
        Row& row = g_rows[i];
        const int y = static_cast<int>(i + 1) * g_gap + static_cast<int>(i) * g_lineHeight;
        SetBkColor(dc, kRunningColor);
        BitBlt(dc, row.x, y, row.size.cx, row.size.cy, row.memDC, 0, 0, SRCCOPY);
        const RECT trail = row.direction == 1 ? RECT{row.x - 1, y, row.x, y + row.size.cy}
                                              : RECT{row.x + row.size.cx, y, row.x + row.size.cx + 1, y + row.size.cy};
        FillRect(dc, &trail, kEraseBrush);
        row.x += row.direction == 1 ? 1 : -1;
        if (row.x > client.right || row.x < client.left - row.size.cx)
            Place(row, client.right);
    }
    ReleaseDC(window, dc);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == kFrameTimer) {
            DrawFrame(window);
            QueryPerformanceCounter(g_ticks == 0 ? &g_firstTick : &g_lastTick);
            ++g_ticks;
        } else if (wParam == kQuitTimer) {
            DestroyWindow(window);
        }
        return 0;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const int rows = argc > 1 ? _wtoi(argv[1]) : 5;
    const int seconds = argc > 2 ? _wtoi(argv[2]) : 30;
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = L"QuorvaneAnimReference";
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0,
                                        GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                                        nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) {
        std::printf("reference: no window (error %lu)\n", GetLastError());
        return 1;
    }
    const HFONT font = CreateLineFont();
    PrepareRows(window, rows, font);
    SetTimer(window, kFrameTimer, kFrameInterval, nullptr);
    SetTimer(window, kQuitTimer, static_cast<UINT>(seconds) * 1000u, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    for (Row& row : g_rows) {
        SelectObject(row.memDC, row.oldBitmap);
        DeleteObject(row.bitmap);
        DeleteDC(row.memDC);
    }
    DeleteObject(font);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const double span = static_cast<double>(g_lastTick.QuadPart - g_firstTick.QuadPart) / frequency.QuadPart;
    std::printf("reference rows %d ticks %lld over %.2f s: %.2f ticks/s\n", rows, g_ticks, span,
                g_ticks > 1 ? (g_ticks - 1) / span : 0.0);
    return 0;
}
