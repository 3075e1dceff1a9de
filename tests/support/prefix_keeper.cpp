// Keeps a Wine prefix's server and system services up for a whole test run. Started first and
// with its output away from CTest, so the services it brings up hold none of CTest's pipes.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    // Ended by the run's wineserver -k; the hour is only a bound if that never comes.
    Sleep(60 * 60 * 1000);
    return 0;
}
