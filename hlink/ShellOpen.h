#pragma once

#include <windows.h>

// Opens a file or URL with the shell's "open" verb and waits up to 3 s for the started
// program to accept input. Returns whether the shell succeeded.
BOOL ShellOpen(HWND owner, LPCWSTR location);
