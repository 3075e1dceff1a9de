#pragma once

#include "tests/driver/TestProcess.h"

#include <windows.h>

#include <string>

// The built program in configuration mode, driven through its "Setup" sheet.
class SetupSession {
public:
    static constexpr int kApplyButton = 0x3021;

    // Starts the program with /c and waits for the sheet; false when it did not appear.
    bool Open();
    HWND Sheet() const { return m_sheet; }
    HWND Page() const;
    HWND Item(int id) const { return GetDlgItem(Page(), id); }
    // Brings the tab with this label to the front; false when there is none.
    bool ShowTab(const std::wstring& label) const;
    bool ApplyEnabled() const;
    // Presses a button of the sheet (posted, as a click would).
    void Press(int id) const;
    // Presses Apply and waits until the sheet has handled it.
    bool Apply() const;
    // Presses a button of the sheet; true when the program then ended with exit code 0.
    bool Close(int id);
    // A further visible top-level window of the program (not the sheet), once it shows.
    HWND WaitForOtherWindow(LPCWSTR className, DWORD timeoutMs) const;
    TestProcess& Process() { return m_saver; }

private:
    TestProcess m_saver;
    HWND m_sheet = nullptr;
};
