// The posix thread model's runtime (winpthreads, linked in by libstdc++) measures its waits with
// GetTickCount64, which Windows XP lacks; the loader would refuse the whole program there. This
// import slot, defined here, takes the place of kernel32's, so the program never imports it.
#include <windows.h>

namespace {

// A millisecond count that only ever grows, from a counter every Windows since 2000 has.
ULONGLONG WINAPI MillisecondsFromPerformanceCounter()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    const ULONGLONG ticks = static_cast<ULONGLONG>(count.QuadPart);
    const ULONGLONG perSecond = static_cast<ULONGLONG>(frequency.QuadPart);
    return ticks / perSecond * 1000 + ticks % perSecond * 1000 / perSecond;
}

} // namespace

// The name the compiler gives the import slot of a WINAPI function: decorated on 32-bit Windows.
#if defined(_WIN64)
#define TICK_COUNT_64_IMPORT "__imp_GetTickCount64"
#else
#define TICK_COUNT_64_IMPORT "__imp__GetTickCount64@0"
#endif
extern "C" ULONGLONG(WINAPI *const tickCount64Import)() asm(TICK_COUNT_64_IMPORT);
extern "C" ULONGLONG(WINAPI *const tickCount64Import)() = &MillisecondsFromPerformanceCounter;
