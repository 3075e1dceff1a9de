// The floor under any animation: a full-screen window with a 10 ms timer that does nothing per tick.
// Command line: seconds. Prints the ticks per second it received over its run.

#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr UINT_PTR kFrameTimer = 1;
constexpr UINT_PTR kQuitTimer = 2;
constexpr UINT kFrameInterval = 10;

long long g_ticks = 0;
LARGE_INTEGER g_firstTick = {}, g_lastTick = {};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == kFrameTimer) {
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
    const int seconds = argc > 1 ? _wtoi(argv[1]) : 30;
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = L"QuorvaneAnimIdle";
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0,
                                        GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                                        nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) {
        std::printf("idle: no window (error %lu)\n", GetLastError());
        return 1;
    }
    SetTimer(window, kFrameTimer, kFrameInterval, nullptr);
    SetTimer(window, kQuitTimer, static_cast<UINT>(seconds) * 1000u, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const double span = static_cast<double>(g_lastTick.QuadPart - g_firstTick.QuadPart) / frequency.QuadPart;
    std::printf("idle ticks %lld over %.2f s: %.2f ticks/s\n", g_ticks, span, g_ticks > 1 ? (g_ticks - 1) / span : 0.0);
    return 0;
}
