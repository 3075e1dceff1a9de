#include "tests/driver/SetupSession.h"

#include "tests/driver/UiDriver.h"

#include <windowsx.h>

bool SetupSession::Open()
{
    End();
    m_app.Enable3dControls();
    m_thread = CreateThread(nullptr, 0, RunSheet, this, 0, &m_threadId);
    m_sheet = m_thread != nullptr ? WaitForOtherWindow(L"#32770", L"Setup") : nullptr;
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
    UiDriver::PressButton(m_sheet, kApplyButton);
    return !ApplyEnabled();
}

bool SetupSession::Close(int id)
{
    UiDriver::ClickButton(m_sheet, id);
    const bool ended = m_thread != nullptr && WaitForSingleObject(m_thread, kTimeout) == WAIT_OBJECT_0;
    End();
    return ended;
}

HWND SetupSession::OpenDialog(int button, LPCWSTR caption) const
{
    UiDriver::ClickButton(Page(), button);
    return WaitForOtherWindow(L"#32770", caption);
}

HWND SetupSession::WaitForOtherWindow(LPCWSTR className, LPCWSTR caption, DWORD timeoutMs) const
{
    // A window the sheet opens lies above it, so once it shows it is the first match.
    return UiDriver::WaitForWindow(GetCurrentProcessId(), className, caption, timeoutMs, m_sheet);
}

bool SetupSession::EndDialog(HWND dialog, int button)
{
    UiDriver::ClickButton(dialog, button);
    return UiDriver::WaitFor([dialog] { return !IsWindow(dialog); }, kTimeout);
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
