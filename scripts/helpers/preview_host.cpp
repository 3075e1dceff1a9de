// A stand-in for the Display control panel's little monitor: a 152 x 112 window whose handle
// it hands to the saver's preview switch, so the preview can be seen and driven by hand.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR saverPath, int)
{
    HWND host = CreateWindowExW(0, L"STATIC", L"Preview", WS_POPUP | WS_CLIPCHILDREN | WS_VISIBLE, 100,
                                100, 152, 112, nullptr, nullptr, nullptr, nullptr);
    if (host == nullptr || saverPath == nullptr || *saverPath == L'\0')
        return 1;
    std::wstring command = L"\"" + std::wstring(saverPath) + L"\" /p " +
                           std::to_wstring(reinterpret_cast<UINT_PTR>(host));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 2;
    // Stays until the saver is gone; closing this window ends the preview with it.
    while (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT && IsWindow(host)) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        Sleep(10);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return 0;
}
