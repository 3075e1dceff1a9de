// Stands in for a browser: appends the command line it was given to the file named by
// QSS_RECORD_FILE, one line per start, so a test can see exactly what the shell handed over.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR arguments, int)
{
    wchar_t path[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"QSS_RECORD_FILE", path, MAX_PATH) == 0)
        return 2;
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    char utf8[4096] = {};
    int length = WideCharToMultiByte(CP_UTF8, 0, arguments, -1, utf8, sizeof(utf8) - 2, nullptr, nullptr);
    length = length > 0 ? length - 1 : 0;
    utf8[length++] = '\n';
    DWORD written = 0;
    WriteFile(file, utf8, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
    return 0;
}
