#include "hlink/ShellOpen.h"

#include <shellapi.h>

BOOL ShellOpen(HWND owner, LPCWSTR location)
{
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    // The program shows no failures; without NO_UI the shell would put up its own error box.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = location;
    info.nShow = SW_SHOWNORMAL;
    const BOOL opened = ShellExecuteExW(&info);
    // No process handle when the location went to a program that was already running.
    if (opened && info.hProcess != nullptr) {
        WaitForInputIdle(info.hProcess, 3000);
        CloseHandle(info.hProcess);
    }
    return opened;
}
