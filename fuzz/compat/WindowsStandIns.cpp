#include <windows.h>

#include <cstdio>
#include <cstdlib>

// glibc's wide printf reads %s as a narrow string and there is no string table, so an imitation
// would test something else: reaching any of these means a fuzz target strayed from the decoders.
[[noreturn]] static void Unavailable(const char* name)
{
    std::fprintf(stderr, "%s has no native stand-in\n", name);
    std::abort();
}

HMODULE GetModuleHandleW(LPCWSTR)
{
    Unavailable("GetModuleHandleW");
}

int LoadStringW(HINSTANCE, UINT, LPWSTR, int)
{
    Unavailable("LoadStringW");
}

DWORD CharLowerBuffW(LPWSTR, DWORD)
{
    Unavailable("CharLowerBuffW");
}

int lstrcmpiW(LPCWSTR, LPCWSTR)
{
    Unavailable("lstrcmpiW");
}

int _vscwprintf(LPCWSTR, va_list)
{
    Unavailable("_vscwprintf");
}

int _vsnwprintf(LPWSTR, size_t, LPCWSTR, va_list)
{
    Unavailable("_vsnwprintf");
}
