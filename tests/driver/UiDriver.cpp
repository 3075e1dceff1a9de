#include "tests/driver/UiDriver.h"

#include "res/resource.h"

namespace UiDriver {

std::wstring WindowText(HWND window)
{
    wchar_t text[4096] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

bool WaitFor(const std::function<bool()>& predicate, DWORD timeoutMs, DWORD stepMs)
{
    const DWORD start = GetTickCount();
    while (!predicate()) {
        if (GetTickCount() - start >= timeoutMs)
            return predicate();
        Sleep(stepMs);
    }
    return true;
}

HWND WaitForWindow(DWORD processId, LPCWSTR className, LPCWSTR caption, DWORD timeoutMs, HWND other)
{
    HWND found = nullptr;
    const auto shows = [&] {
        // Top-level windows come in Z order, the topmost first.
        for (found = FindWindowExW(nullptr, nullptr, className, caption); found != nullptr;
             found = FindWindowExW(nullptr, found, className, caption)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            if (owner == processId && IsWindowVisible(found))
                return found != other;
        }
        return false;
    };
    return WaitFor(shows, timeoutMs) ? found : nullptr;
}

void SendButtonClick(HWND dialog, int id)
{
    SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)), SMTO_NORMAL,
                        20000, nullptr);
}

void PostButtonClick(HWND dialog, int id)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
}

void PressKey(WORD virtualKey)
{
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = virtualKey;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

static INPUT MouseInput(int x, int y, DWORD flags)
{
    INPUT input = {INPUT_MOUSE, {}};
    // Absolute coordinates run 0..65535 over the primary screen.
    input.mi.dx = (x * 65536 + GetSystemMetrics(SM_CXSCREEN) / 2) / GetSystemMetrics(SM_CXSCREEN);
    input.mi.dy = (y * 65536 + GetSystemMetrics(SM_CYSCREEN) / 2) / GetSystemMetrics(SM_CYSCREEN);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    return input;
}

void MoveMouseTo(int x, int y)
{
    INPUT input = MouseInput(x, y, 0);
    SendInput(1, &input, sizeof(INPUT));
}

void ClickMouseAt(int x, int y)
{
    INPUT inputs[2] = {MouseInput(x, y, MOUSEEVENTF_LEFTDOWN), MouseInput(x, y, MOUSEEVENTF_LEFTUP)};
    SendInput(2, inputs, sizeof(INPUT));
}

bool PumpMessages(UINT held)
{
    bool came = false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == held)
            came = true;
        else
            DispatchMessageW(&msg);
    return came;
}

bool WaitPumping(const std::function<bool()>& done, DWORD timeoutMs, UINT held, bool* heldCame)
{
    bool came = false;
    bool& seen = heldCame != nullptr ? *heldCame : came;
    // done() may read the screen, which takes time: asked every 50 ms, while each message in between is handed over
    // as it comes, a timer's too, so that a window here keeps its own pace.
    return WaitFor(
        [&] {
            seen |= PumpMessages(held);
            if (done())
                return true;
            for (DWORD pause = GetTickCount(), spent = 0; spent < 50; spent = GetTickCount() - pause) {
                MsgWaitForMultipleObjectsEx(0, nullptr, 50 - spent, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
                seen |= PumpMessages(held);
            }
            return false;
        },
        timeoutMs, 0);
}

std::vector<COLORREF> CaptureScreen(const RECT& area)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    std::vector<COLORREF> pixels;
    if (width <= 0 || height <= 0)
        return pixels;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    // Top-down rows of 32-bit pixels.
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const auto* quads = static_cast<const RGBQUAD*>(bits);
    pixels.reserve(static_cast<size_t>(width) * height);
    for (int i = 0; i < width * height; ++i)
        pixels.push_back(RGB(quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

const Picture& Intro()
{
    static const Picture picture = [] {
        HDC memory = CreateCompatibleDC(nullptr);
        const HGDIOBJ bitmap = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_INTRO));
        BITMAP info = {};
        GetObjectW(bitmap, sizeof(info), &info);
        HGDIOBJ old = SelectObject(memory, bitmap);
        Picture read = {{info.bmWidth, info.bmHeight}, {}};
        for (int y = 0; y < info.bmHeight; ++y)
            for (int x = 0; x < info.bmWidth; ++x)
                read.pixels.push_back(GetPixel(memory, x, y));
        DeleteObject(SelectObject(memory, old));
        DeleteDC(memory);
        return read;
    }();
    return picture;
}

POINT IntroAt(int width, int height)
{
    return POINT{width / 2 - Intro().size.cx / 2, height / 2 - Intro().size.cy / 2};
}

int IntroDifference(POINT origin)
{
    const std::vector<COLORREF> shown =
        CaptureScreen(RECT{origin.x, origin.y, origin.x + Intro().size.cx, origin.y + Intro().size.cy});
    int differing = 0;
    for (size_t i = 0; i < shown.size(); ++i)
        differing += shown[i] != Intro().pixels[i];
    return differing;
}

}
