#include "tests/driver/SetupSession.h"

#include "tests/driver/TestProcess.h"
#include "tests/driver/UiDriver.h"

#include <gtest/gtest.h>
#include <windowsx.h>

#include <cstdio>

bool SetupSession::Open()
{
    End();
    m_app.Enable3dControls();
    m_thread = CreateThread(nullptr, 0, RunSheet, this, 0, &m_threadId);
    m_sheet = m_thread != nullptr ? WaitForOtherWindow(L"#32770", InFrench() ? L"Param\u00E8tres" : L"Setup") : nullptr;
    return m_sheet != nullptr && Page() != nullptr;
}

DWORD WINAPI SetupSession::RunSheet(void* session)
{
    static_cast<SetupSession*>(session)->m_app.RunSetupSheet();
    return 0;
}

void SetupSession::End()
{
    if (m_thread == nullptr)
        return;
    // A menu's loop ends on a cancel; a dialog's on a quit message, which it posts again for the loop below it.
    for (int i = 0; i < 200 && WaitForSingleObject(m_thread, 100) == WAIT_TIMEOUT; ++i) {
        PostThreadMessageW(m_threadId, WM_CANCELMODE, 0, 0);
        PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
    }
    // A thread stuck outside any message loop must still not outlive its application object.
    if (WaitForSingleObject(m_thread, 0) == WAIT_TIMEOUT && TerminateThread(m_thread, 1))
        WaitForSingleObject(m_thread, kTimeout);
    CloseHandle(m_thread);
    m_thread = nullptr;
    m_sheet = nullptr;
}

bool SetupSession::Apply() const
{
    UiDriver::SendButtonClick(m_sheet, kApplyButton);
    return !ApplyEnabled();
}

bool SetupSession::Close(int id)
{
    UiDriver::PostButtonClick(m_sheet, id);
    const bool ended = m_thread != nullptr && WaitForSingleObject(m_thread, kTimeout) == WAIT_OBJECT_0;
    End();
    return ended;
}

HWND SetupSession::OpenDialog(int button, LPCWSTR caption) const
{
    UiDriver::PostButtonClick(Page(), button);
    return WaitForOtherWindow(L"#32770", caption);
}

HWND SetupSession::WaitForOtherWindow(LPCWSTR className, LPCWSTR caption, DWORD timeoutMs) const
{
    // A window the sheet opens lies above it, so once it shows it is the first match.
    return UiDriver::WaitForWindow(GetCurrentProcessId(), className, caption, timeoutMs, m_sheet);
}

bool SetupSession::EndDialog(HWND dialog, int button) const
{
    UiDriver::PostButtonClick(dialog, button);
    return UiDriver::WaitFor([dialog] { return !IsWindow(dialog); }, kTimeout) &&
           SendMessageTimeoutW(Page(), WM_NULL, 0, 0, SMTO_NORMAL, kTimeout, nullptr);
}

std::vector<std::pair<std::wstring, std::wstring>> SetupSession::Rows(HWND list)
{
    std::vector<std::pair<std::wstring, std::wstring>> rows;
    wchar_t server[256] = {}, service[256] = {};
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
        ListView_GetItemText(list, i, 0, server, 256);
        ListView_GetItemText(list, i, 1, service, 256);
        rows.emplace_back(server, service);
    }
    return rows;
}

std::vector<std::pair<std::wstring, bool>> SetupSession::ListItems(HWND listBox)
{
    std::vector<std::pair<std::wstring, bool>> items;
    wchar_t text[1024] = {};
    for (int i = 0; i < ListBox_GetCount(listBox); ++i) {
        ListBox_GetText(listBox, i, text);
        items.emplace_back(text, ListBox_GetSel(listBox, i) > 0);
    }
    return items;
}

void SetupSession::CheckLayout(HWND window, const std::wstring& name)
{
    RECT area;
    GetWindowRect(window, &area);
    const std::wstring directory = TestProcess::PathFromEnvironment("QSS_OUT");
    CreateDirectoryW(directory.c_str(), nullptr);
    FILE* out = _wfopen((directory + L"\\" + name + L".ppm").c_str(), L"wb");
    ASSERT_NE(out, nullptr) << "no picture of " << name.c_str();
    // Red, green and blue of each pixel, row by row from the top.
    std::fprintf(out, "P6\n%ld %ld\n255\n", area.right - area.left, area.bottom - area.top);
    // Once its pending paints are done (sent to its thread, they return done) and the screen has them.
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    std::vector<COLORREF> shown;
    UiDriver::WaitFor([&] { return std::exchange(shown, UiDriver::CaptureScreen(area)) == shown; }, kTimeout, 100);
    for (COLORREF c : shown) {
        const unsigned char rgb[3] = {GetRValue(c), GetGValue(c), GetBValue(c)};
        std::fwrite(rgb, 1, 3, out);
    }
    std::fclose(out);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        const std::wstring text = UiDriver::WindowText(child), kind = className;
        const LONG style = GetWindowLongW(child, GWL_STYLE), type = style & BS_TYPEMASK;
        // A list's column headings (column widths are given in pixels), with 12 pixels for the heading's margins.
        for (int i = 0; kind == WC_LISTVIEWW && i < Header_GetItemCount(ListView_GetHeader(child)); ++i) {
            wchar_t heading[64] = {};
            LVCOLUMNW column = {LVCF_TEXT, 0, 0, heading, 64, 0, 0, 0};
            ListView_GetColumn(child, i, &column);
            EXPECT_LE(ListView_GetStringWidth(child, heading) + 12, ListView_GetColumnWidth(child, i)) << heading;
        }
        if (text.empty() || (kind != L"Static" && kind != L"Button") || !IsWindowVisible(child))
            continue;
        RECT client;
        GetClientRect(child, &client);
        // A plain static wraps at its width; a word wider than that still widens the measure.
        const bool wraps = kind == L"Static" && (style & SS_TYPEMASK) <= SS_RIGHT;
        RECT needed = {0, 0, wraps ? client.right : 0, 0};
        HDC dc = GetDC(child);
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
        DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        ReleaseDC(child, dc);
        // Room the control itself takes beside its text.
        const bool check = type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON || type == BS_AUTOCHECKBOX;
        const LONG frame = kind == L"Static"     ? 0
                           : check               ? GetSystemMetrics(SM_CXMENUCHECK) + 4
                           : type == BS_GROUPBOX ? 16
                                                 : 8;
        EXPECT_LE(needed.right + frame, client.right) << name.c_str() << ": \"" << std::string(text.begin(), text.end());
        EXPECT_LE(needed.bottom, client.bottom) << name.c_str();
    }
}
