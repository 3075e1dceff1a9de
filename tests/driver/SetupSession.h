#pragma once

#include "tests/driver/TestProcess.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// The built program in configuration mode, driven through its "Setup" sheet and its other windows.
class SetupSession {
public:
    static constexpr int kApplyButton = 0x3021;
    static constexpr DWORD kTimeout = 20000;

    // Starts the program with the arguments and waits for the sheet; false when it did not appear.
    bool Open(const std::wstring& arguments = L"/c");
    HWND Sheet() const { return m_sheet; }
    HWND Page() const;
    HWND Item(int id) const { return GetDlgItem(Page(), id); }
    // Brings the tab with this label to the front and returns its page; null when there is none.
    HWND ShowTab(const std::wstring& label) const;
    bool ApplyEnabled() const { return IsWindowEnabled(GetDlgItem(m_sheet, kApplyButton)) != FALSE; }
    // Presses Apply and waits until the sheet has handled it.
    bool Apply() const;
    // Presses a button of the sheet; true when the program then ended with exit code 0.
    bool Close(int id);
    // A visible top-level window of the program other than the sheet, once it shows.
    HWND WaitForOtherWindow(LPCWSTR className, LPCWSTR caption, DWORD timeoutMs = kTimeout) const;
    TestProcess& Process() { return m_saver; }

    // Presses a button of a dialog (posted, as a click) and waits until the dialog is gone.
    static bool EndDialog(HWND dialog, int button);
    // A list view's rows (first and second column), and a list box's entries with their selection.
    static std::vector<std::pair<std::wstring, std::wstring>> Rows(HWND list);
    static std::vector<std::pair<std::wstring, bool>> ListItems(HWND listBox);

private:
    TestProcess m_saver;
    HWND m_sheet = nullptr;
};
