#include "app/CServicesSaverApp.h"

// The one application object, alive for the whole program.
CServicesSaverApp theApp;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    return AfxWinMain(instance);
}
