#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Small helpers for driving and reading windows, the screen and processes from a test.
namespace UiDriver {

// The Windows path of the file named by an environment variable the test set-up (CTest) provides.
std::wstring PathFromEnvironment(const char* variable);
std::wstring Quoted(const std::wstring& text);

std::wstring WindowText(HWND window);
// Asks until the predicate holds or the time is up; its last answer.
bool WaitFor(const std::function<bool()>& predicate, DWORD timeoutMs, DWORD stepMs = 50);
// The topmost visible top-level window of the process by class and/or caption (null matches any), once it
// shows and is not the other one; null when the time is up.
HWND WaitForWindow(DWORD processId, LPCWSTR className, LPCWSTR caption, DWORD timeoutMs, HWND other = nullptr);
// Presses a button of a dialog the way a click does (BN_CLICKED to its parent).
void ClickButton(HWND dialog, int id);
// The same, returning once the dialog has handled it; not for buttons that open a modal loop.
void PressButton(HWND dialog, int id);

void PressKey(WORD virtualKey);
void MoveMouseTo(int x, int y);
void ClickMouseAt(int x, int y, bool right = false);

// The screen's pixels in the rectangle, row by row, as COLORREF values.
std::vector<COLORREF> CaptureScreen(const RECT& area);
// Writes the window's rectangle of the screen as a binary PPM picture under the test output directory (QSS_OUT).
bool SaveScreenshot(HWND window, const std::wstring& fileName);

// Live GDI objects of another process, or -1 when its handle table cannot be read.
int GdiObjectCount(DWORD processId);

}
