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
// Posts a button's click to its dialog (BN_CLICKED to its parent), as a click does, and returns at once.
void PostButtonClick(HWND dialog, int id);
// Sends it, returning once the dialog has handled it; not for buttons that open a modal loop.
void SendButtonClick(HWND dialog, int id);

void PressKey(WORD virtualKey);
void MoveMouseTo(int x, int y);
void ClickMouseAt(int x, int y);

// Hands this thread's windows their queued messages but the held one (a saver frame here asks for its end by
// posting WM_CLOSE, which is only reported, so the frame stays for the next input); true when it came.
bool PumpMessages(UINT held = WM_CLOSE);
// WaitFor while pumping so; *heldCame (when given) is set once the held message came, and done() may read it.
bool WaitPumping(const std::function<bool()>& done, DWORD timeoutMs, UINT held = WM_CLOSE, bool* heldCame = nullptr);

// The screen's pixels in the rectangle, row by row, as COLORREF values.
std::vector<COLORREF> CaptureScreen(const RECT& area);
// The intro picture as the program's resources hold it (every test program links the same ones): its size and its
// pixels row by row; and its top-left on a screen of the size given, the primary one unless told: the middle, each
// half rounded down.
struct Picture {
    SIZE size;
    std::vector<COLORREF> pixels;
};
const Picture& Intro();
POINT IntroAt(int width = GetSystemMetrics(SM_CXSCREEN), int height = GetSystemMetrics(SM_CYSCREEN));
// How many of the intro's pixels differ from the screen with its top-left corner at origin.
int IntroDifference(POINT origin = IntroAt());

}
