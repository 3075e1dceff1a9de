#pragma once

// Native stand-in for the few Windows declarations the settings decoders and CString need, so
// those files build unchanged with clang on Linux for fuzzing.

#include <cstdarg>
#include <cstddef>
#include <cstdint>

typedef uint8_t BYTE;
typedef uint32_t DWORD;
// Windows' LONG is 32 bits on every target; Linux's long is 64, which would move LOGFONTW's fields.
typedef int32_t LONG;
typedef unsigned int UINT;
typedef int BOOL;
typedef void* HMODULE;
typedef HMODULE HINSTANCE;

#define TRUE 1
#define FALSE 0

// WCHAR is Windows' 16-bit unit, so the stored LOGFONTW keeps its 92-byte layout. The framework's
// strings stay wchar_t (32 bits here) because they wrap std::wstring and wide literals; each unit
// then holds one UTF-16 code unit, the only values the decoders put in them. -fshort-wchar is no
// way out: libstdc++'s std::wstring is built for a 32-bit wchar_t.
typedef char16_t WCHAR;
typedef wchar_t* LPWSTR;
typedef const wchar_t* LPCWSTR;

#define LF_FACESIZE 32

struct LOGFONTW {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[LF_FACESIZE];
};

// Called only by the parts of CString that no decoder uses; WindowsStandIns.cpp stops the run.
HMODULE GetModuleHandleW(LPCWSTR moduleName);
int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax);
DWORD CharLowerBuffW(LPWSTR text, DWORD length);
int lstrcmpiW(LPCWSTR a, LPCWSTR b);
int _vscwprintf(LPCWSTR format, va_list args);
int _vsnwprintf(LPWSTR buffer, size_t count, LPCWSTR format, va_list args);
