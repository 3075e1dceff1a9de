#include "tests/driver/SetupSession.h"

#include "tests/driver/UiDriver.h"

#include <commctrl.h>

bool SetupSession::Open(const std::wstring& arguments)
{
    const std::wstring saver = UiDriver::Quoted(UiDriver::PathFromEnvironment("QSS_SCR"));
    if (!m_saver.Start(arguments.empty() ? saver : saver + L" " + arguments))
        return false;
    m_sheet = m_saver.WaitForWindow(L"#32770", L"Setup", kTimeout);
    return m_sheet != nullptr && Page() != nullptr;
}

HWND SetupSession::Page() const
{
    return reinterpret_cast<HWND>(SendMessageW(m_sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

std::vector<std::wstring> SetupSession::TabLabels() const
{
    HWND tabs = FindWindowExW(m_sheet, nullptr, WC_TABCONTROLW, nullptr);
    std::vector<std::wstring> labels;
    for (int i = 0; i < static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0)); ++i)
        labels.push_back(UiDriver::TabText(tabs, i));
    return labels;
}

bool SetupSession::ShowTab(const std::wstring& label) const
{
    const std::vector<std::wstring> labels = TabLabels();
    for (size_t i = 0; i < labels.size(); ++i)
        if (labels[i] == label)
            return SendMessageW(m_sheet, PSM_SETCURSEL, i, 0) != 0;
    return false;
}

bool SetupSession::ApplyEnabled() const
{
    return IsWindowEnabled(GetDlgItem(m_sheet, kApplyButton)) != FALSE;
}

bool SetupSession::Apply() const
{
    UiDriver::ClickButton(m_sheet, kApplyButton);
    return UiDriver::WaitFor([this] { return !ApplyEnabled(); }, kTimeout);
}

bool SetupSession::Close(int id, DWORD timeoutMs)
{
    UiDriver::ClickButton(m_sheet, id);
    DWORD code = 99;
    return m_saver.WaitForExit(timeoutMs, &code) && code == 0;
}

HWND SetupSession::WaitForOtherWindow(LPCWSTR className, LPCWSTR caption, DWORD timeoutMs) const
{
    // A window the program opens lies above the sheet, so the first match is it once it shows.
    HWND found = nullptr;
    UiDriver::WaitFor(
        [&] {
            found = UiDriver::FindProcessWindow(m_saver.Id(), className, caption);
            return found != nullptr && found != m_sheet;
        },
        timeoutMs);
    return found != m_sheet ? found : nullptr;
}

std::vector<std::pair<std::wstring, std::wstring>> SetupSession::Rows(HWND list)
{
    std::vector<std::pair<std::wstring, std::wstring>> rows;
    for (int i = 0; i < static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); ++i)
        rows.emplace_back(UiDriver::ListViewText(list, i, 0), UiDriver::ListViewText(list, i, 1));
    return rows;
}

std::vector<std::wstring> SetupSession::ListTexts(HWND listBox)
{
    std::vector<std::wstring> texts;
    for (int i = 0; i < static_cast<int>(SendMessageW(listBox, LB_GETCOUNT, 0, 0)); ++i) {
        wchar_t text[1024] = {};
        // The platform carries a list box's text across processes itself.
        SendMessageW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
    }
    return texts;
}

std::vector<bool> SetupSession::ListSelection(HWND listBox)
{
    std::vector<bool> selected;
    for (int i = 0; i < static_cast<int>(SendMessageW(listBox, LB_GETCOUNT, 0, 0)); ++i)
        selected.push_back(SendMessageW(listBox, LB_GETSEL, i, 0) > 0);
    return selected;
}
