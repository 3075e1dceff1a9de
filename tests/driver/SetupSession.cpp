#include "tests/driver/SetupSession.h"

#include "tests/driver/UiDriver.h"

#include <commctrl.h>

namespace {
const DWORD kTimeout = 20000;

struct WindowSearch {
    DWORD process;
    LPCWSTR className;
    HWND except;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || window == search->except || !IsWindowVisible(window))
        return TRUE;
    if (search->className != nullptr && UiDriver::ClassName(window) != search->className)
        return TRUE;
    search->found = window;
    return FALSE;
}
}

bool SetupSession::Open()
{
    const std::wstring command = UiDriver::Quoted(UiDriver::PathFromEnvironment("QSS_SCR")) + L" /c";
    if (!m_saver.Start(command))
        return false;
    m_sheet = m_saver.WaitForWindow(L"#32770", L"Setup", kTimeout);
    return m_sheet != nullptr && Page() != nullptr;
}

HWND SetupSession::Page() const
{
    return reinterpret_cast<HWND>(SendMessageW(m_sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

bool SetupSession::ShowTab(const std::wstring& label) const
{
    HWND tabs = FindWindowExW(m_sheet, nullptr, WC_TABCONTROLW, nullptr);
    const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        if (UiDriver::TabText(tabs, i) == label) {
            SendMessageW(m_sheet, PSM_SETCURSEL, static_cast<WPARAM>(i), 0);
            return true;
        }
    return false;
}

bool SetupSession::ApplyEnabled() const
{
    return IsWindowEnabled(GetDlgItem(m_sheet, kApplyButton)) != FALSE;
}

void SetupSession::Press(int id) const
{
    UiDriver::ClickButton(m_sheet, id);
}

bool SetupSession::Apply() const
{
    Press(kApplyButton);
    for (int i = 0; i < 200 && ApplyEnabled(); ++i)
        Sleep(25);
    return !ApplyEnabled();
}

bool SetupSession::Close(int id)
{
    Press(id);
    DWORD code = 99;
    return m_saver.WaitForExit(kTimeout, &code) && code == 0;
}

HWND SetupSession::WaitForOtherWindow(LPCWSTR className, DWORD timeoutMs) const
{
    for (DWORD waited = 0; waited <= timeoutMs; waited += 50) {
        WindowSearch search = {m_saver.Id(), className, m_sheet, nullptr};
        EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr)
            return search.found;
        Sleep(50);
    }
    return nullptr;
}
