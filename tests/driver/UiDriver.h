#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Small helpers for driving and reading windows, the screen and processes from a test.
namespace UiDriver {

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
void ClickMouseAt(int x, int y);

// Hands this thread's windows their queued messages but the held one (a saver frame here asks for its end by
// posting WM_CLOSE, which is only reported, so the frame stays for the next input); true when it came.
bool PumpMessages(UINT held = WM_CLOSE);

// The screen's pixels in the rectangle, row by row, as COLORREF values.
std::vector<COLORREF> CaptureScreen(const RECT& area);
// More than eight colours in the 120-pixel square round the point: the intro, which nothing else a saver shows has.
bool IntroColoursAround(POINT middle);

}
