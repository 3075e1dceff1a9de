#include "tests/driver/SetupSession.h"

#include "tests/driver/UiDriver.h"

#include <commctrl.h>

bool SetupSession::Open(const std::wstring& arguments)
{
    if (!m_saver.Start(UiDriver::Quoted(UiDriver::PathFromEnvironment("QSS_SCR")) + L" " + arguments))
        return false;
    m_sheet = m_saver.WaitForWindow(L"#32770", L"Setup", kTimeout);
    return m_sheet != nullptr && Page() != nullptr;
}

HWND SetupSession::Page() const
{
    return reinterpret_cast<HWND>(SendMessageW(m_sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

HWND SetupSession::ShowTab(const std::wstring& label) const
{
    HWND tabs = FindWindowExW(m_sheet, nullptr, WC_TABCONTROLW, nullptr);
    for (int i = 0; i < static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0)); ++i)
        if (UiDriver::TabText(tabs, i) == label && SendMessageW(m_sheet, PSM_SETCURSEL, i, 0))
            return Page();
    return nullptr;
}

bool SetupSession::Apply() const
{
    UiDriver::ClickButton(m_sheet, kApplyButton);
    return UiDriver::WaitFor([this] { return !ApplyEnabled(); }, kTimeout);
}

bool SetupSession::Close(int id)
{
    UiDriver::ClickButton(m_sheet, id);
    DWORD code = 99;
    return m_saver.WaitForExit(kTimeout, &code) && code == 0;
}

HWND SetupSession::WaitForOtherWindow(LPCWSTR className, LPCWSTR caption, DWORD timeoutMs) const
{
    // A window the program opens lies above the sheet, so once it shows it is the first match.
    HWND found = nullptr;
    const auto shows = [&] {
        found = UiDriver::FindProcessWindow(m_saver.Id(), className, caption);
        return found != nullptr && found != m_sheet;
    };
    return UiDriver::WaitFor(shows, timeoutMs) ? found : nullptr;
}

bool SetupSession::EndDialog(HWND dialog, int button)
{
    UiDriver::ClickButton(dialog, button);
    return UiDriver::WaitFor([dialog] { return !IsWindow(dialog); }, kTimeout);
}

std::vector<std::pair<std::wstring, std::wstring>> SetupSession::Rows(HWND list)
{
    std::vector<std::pair<std::wstring, std::wstring>> rows;
    for (int i = 0; i < static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); ++i)
        rows.emplace_back(UiDriver::ListViewText(list, i, 0), UiDriver::ListViewText(list, i, 1));
    return rows;
}

std::vector<std::pair<std::wstring, bool>> SetupSession::ListItems(HWND listBox)
{
    std::vector<std::pair<std::wstring, bool>> items;
    for (int i = 0; i < static_cast<int>(SendMessageW(listBox, LB_GETCOUNT, 0, 0)); ++i) {
        wchar_t text[1024] = {};
        // The platform carries a list box's text across processes itself.
        SendMessageW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        items.emplace_back(text, SendMessageW(listBox, LB_GETSEL, i, 0) > 0);
    }
    return items;
}
