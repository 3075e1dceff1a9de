#include "tests/driver/UiDriver.h"

#include <winternl.h>

#include <cstdio>
#include <cstdlib>

namespace UiDriver {

std::wstring PathFromEnvironment(const char* variable)
{
    // Wine's Z: drive sees the Linux side's root.
    const char* value = std::getenv(variable);
    std::wstring path = value ? L"Z:" : L"";
    for (const char* p = value; p != nullptr && *p; ++p)
        path += *p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return path;
}

std::wstring Quoted(const std::wstring& text)
{
    return L"\"" + text + L"\"";
}

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

void PressButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button),
                        SMTO_NORMAL, 20000, nullptr);
}

void ClickButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
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
    INPUT input = {};
    input.type = INPUT_MOUSE;
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

void ClickMouseAt(int x, int y, bool right)
{
    INPUT inputs[2] = {MouseInput(x, y, right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN),
                       MouseInput(x, y, right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP)};
    SendInput(2, inputs, sizeof(INPUT));
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

bool SaveScreenshot(HWND window, const std::wstring& fileName)
{
    RECT area;
    GetWindowRect(window, &area);
    const std::wstring directory = PathFromEnvironment("QSS_OUT");
    if (directory.empty())
        return false;
    CreateDirectoryW(directory.c_str(), nullptr);
    FILE* out = _wfopen((directory + L"\\" + fileName).c_str(), L"wb");
    if (out == nullptr)
        return false;
    // A binary PPM: a short header, then red, green and blue of each pixel, row by row from the top.
    std::fprintf(out, "P6\n%ld %ld\n255\n", area.right - area.left, area.bottom - area.top);
    for (COLORREF c : CaptureScreen(area)) {
        const unsigned char rgb[3] = {GetRValue(c), GetGValue(c), GetBValue(c)};
        std::fwrite(rgb, 1, 3, out);
    }
    return std::fclose(out) == 0;
}

// GetGuiResources answers 0 under Wine. The handle table the process's PEB points to (as on
// Windows) holds one entry per live GDI object, with a non-zero type.
int GdiObjectCount(DWORD processId)
{
    struct HandleEntry {
        UINT64 object;
        ULONG owner;
        USHORT unique;
        UCHAR type;
        UCHAR flags;
        UINT64 user;
    };
    constexpr size_t kPebGdiTableOffset = 0xF8;
    constexpr size_t kMaxHandles = 0x10000;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (process == nullptr)
        return -1;
    PROCESS_BASIC_INFORMATION basic = {};
    UINT64 table = 0;
    std::vector<HandleEntry> entries(kMaxHandles);
    const bool read =
        NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) == 0 &&
        ReadProcessMemory(process, static_cast<BYTE*>(static_cast<void*>(basic.PebBaseAddress)) + kPebGdiTableOffset,
                          &table, sizeof(table), nullptr) &&
        table != 0 &&
        ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.data(),
                          entries.size() * sizeof(HandleEntry), nullptr);
    CloseHandle(process);
    if (!read)
        return -1;
    int count = 0;
    for (const HandleEntry& entry : entries)
        count += entry.type != 0;
    return count;
}

}
