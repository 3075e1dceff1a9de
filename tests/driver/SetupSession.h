#pragma once

#include "tests/driver/TestProcess.h"

#include <windows.h>

#include <string>
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
    // Brings the tab with this label to the front; false when there is none.
    bool ShowTab(const std::wstring& label) const;
    std::vector<std::wstring> TabLabels() const;
    bool ApplyEnabled() const;
    // Presses Apply and waits until the sheet has handled it.
    bool Apply() const;
    // Presses a button of the sheet; true when the program then ended with exit code 0.
    bool Close(int id, DWORD timeoutMs = kTimeout);
    // A visible top-level window of the program other than the sheet, once it shows.
    HWND WaitForOtherWindow(LPCWSTR className, LPCWSTR caption, DWORD timeoutMs = kTimeout) const;
    TestProcess& Process() { return m_saver; }

    // A list view's rows as (first column, second column), and a list box's texts and selection.
    static std::vector<std::pair<std::wstring, std::wstring>> Rows(HWND list);
    static std::vector<std::wstring> ListTexts(HWND listBox);
    static std::vector<bool> ListSelection(HWND listBox);

private:
    TestProcess m_saver;
    HWND m_sheet = nullptr;
};
