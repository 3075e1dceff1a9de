#include "tests/driver/UiDriver.h"

#include <commctrl.h>
#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>

namespace {

struct WindowQuery {
    DWORD processId;
    LPCWSTR className;
    LPCWSTR caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param)
{
    auto* query = reinterpret_cast<WindowQuery*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != query->processId || !IsWindowVisible(window))
        return TRUE;
    wchar_t text[256] = {};
    if (query->className) {
        GetClassNameW(window, text, 256);
        if (lstrcmpiW(text, query->className) != 0)
            return TRUE;
    }
    if (query->caption) {
        GetWindowTextW(window, text, 256);
        if (lstrcmpW(text, query->caption) != 0)
            return TRUE;
    }
    query->found = window;
    return FALSE;
}

// Memory inside the process of a window, for control messages that carry pointers: those are
// handed over unchanged between processes, so they must point into the control's own process.
class RemoteMemory {
public:
    RemoteMemory(HWND window, size_t size) : m_size(size)
    {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
                                FALSE, processId);
        if (m_process != nullptr)
            m_address = static_cast<BYTE*>(
                VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~RemoteMemory()
    {
        if (m_address != nullptr)
            VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        if (m_process != nullptr)
            CloseHandle(m_process);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    BYTE* Address() const { return m_address; }
    bool Write(size_t offset, const void* data, size_t size) const
    {
        return m_address != nullptr && offset + size <= m_size &&
               WriteProcessMemory(m_process, m_address + offset, data, size, nullptr);
    }
    bool Read(size_t offset, void* data, size_t size) const
    {
        return m_address != nullptr && offset + size <= m_size &&
               ReadProcessMemory(m_process, m_address + offset, data, size, nullptr);
    }

private:
    size_t m_size;
    HANDLE m_process = nullptr;
    BYTE* m_address = nullptr;
};

}

namespace UiDriver {

std::wstring WindowsPath(const char* unixPath)
{
    std::wstring path = L"Z:";
    for (const char* p = unixPath; *p; ++p)
        path += *p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return path;
}

std::wstring PathFromEnvironment(const char* variable)
{
    const char* value = std::getenv(variable);
    return value ? WindowsPath(value) : std::wstring();
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

std::wstring ClassName(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

static BOOL CALLBACK CollectChild(HWND child, LPARAM param)
{
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
    return TRUE;
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> children;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
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

HWND FindProcessWindow(DWORD processId, LPCWSTR className, LPCWSTR caption)
{
    WindowQuery query = {processId, className, caption, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

void PressButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button),
                        SMTO_NORMAL, 20000, nullptr);
}

std::wstring ListViewText(HWND list, int item, int subItem)
{
    const int chars = 1024;
    RemoteMemory memory(list, sizeof(LVITEMW) + chars * sizeof(wchar_t));
    LVITEMW cell = {};
    cell.iSubItem = subItem;
    cell.pszText = reinterpret_cast<LPWSTR>(memory.Address() + sizeof(LVITEMW));
    cell.cchTextMax = chars;
    if (!memory.Write(0, &cell, sizeof(cell)))
        return std::wstring();
    SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(memory.Address()));
    wchar_t text[chars] = {};
    memory.Read(sizeof(LVITEMW), text, sizeof(text));
    text[chars - 1] = L'\0';
    return text;
}

bool SetListViewItemState(HWND list, int item, UINT state, UINT mask)
{
    RemoteMemory memory(list, sizeof(LVITEMW));
    LVITEMW row = {};
    row.state = state;
    row.stateMask = mask;
    return memory.Write(0, &row, sizeof(row)) &&
           SendMessageW(list, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(memory.Address())) != 0;
}

std::wstring TabText(HWND tab, int index)
{
    const int chars = 256;
    RemoteMemory memory(tab, sizeof(TCITEMW) + chars * sizeof(wchar_t));
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = reinterpret_cast<LPWSTR>(memory.Address() + sizeof(TCITEMW));
    item.cchTextMax = chars;
    wchar_t text[chars] = {};
    // The control may answer with a pointer of its own instead of filling the buffer.
    const LPWSTR buffer = item.pszText;
    const bool read = memory.Write(0, &item, sizeof(item)) &&
                      SendMessageW(tab, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(memory.Address())) &&
                      memory.Read(0, &item, sizeof(item)) && item.pszText == buffer &&
                      memory.Read(sizeof(TCITEMW), text, sizeof(text));
    text[chars - 1] = L'\0';
    return read ? text : std::wstring();
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
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
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

bool SaveScreenshot(const RECT& area, const std::wstring& fileName)
{
    const std::wstring directory = PathFromEnvironment("QSS_OUT");
    if (directory.empty())
        return false;
    CreateDirectoryW(directory.c_str(), nullptr);
    const std::vector<COLORREF> pixels = CaptureScreen(area);
    const LONG width = area.right - area.left;
    const LONG height = area.bottom - area.top;
    const LONG stride = (width * 3 + 3) & ~3;
    std::vector<BYTE> rows(static_cast<size_t>(stride * height));
    // BMP rows run bottom-up in blue, green, red order.
    for (LONG y = 0; y < height; ++y)
        for (LONG x = 0; x < width; ++x) {
            const COLORREF c = pixels[static_cast<size_t>(y * width + x)];
            BYTE* out = &rows[static_cast<size_t>((height - 1 - y) * stride + x * 3)];
            out[0] = GetBValue(c);
            out[1] = GetGValue(c);
            out[2] = GetRValue(c);
        }
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(rows.size());
    HANDLE out = CreateFileW((directory + L"\\" + fileName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                             nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(out, &file, sizeof(file), &written, nullptr) &&
              WriteFile(out, &info, sizeof(info), &written, nullptr) &&
              WriteFile(out, rows.data(), static_cast<DWORD>(rows.size()), &written, nullptr);
    CloseHandle(out);
    return ok;
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

// GetProcessHandleCount answers 0 under Wine, but the system-wide handle list is real: one entry per
// open handle, each naming its process.
int HandleCount(DWORD processId)
{
    struct HandleEntry {
        ULONG processId;
        UCHAR objectType;
        UCHAR flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    struct HandleList {
        ULONG count;
        HandleEntry entries[1];
    };
    constexpr auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
    constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
    std::vector<BYTE> buffer(0x10000);
    for (;;) {
        ULONG needed = 0;
        const NTSTATUS status = NtQuerySystemInformation(kSystemHandleInformation, buffer.data(),
                                                         static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) {
            // Handles may open between the two calls: leave room for more than were asked for.
            buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 0x1000));
            continue;
        }
        if (status != 0)
            return -1;
        break;
    }
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    const size_t room = (buffer.size() - offsetof(HandleList, entries)) / sizeof(HandleEntry);
    const auto* entries = reinterpret_cast<const HandleEntry*>(buffer.data() + offsetof(HandleList, entries));
    int count = 0;
    for (size_t i = 0; i < std::min<size_t>(list->count, room); ++i)
        count += entries[i].processId == processId;
    return count;
}

}
