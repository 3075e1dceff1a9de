#pragma once

#include "app/CServicesSaverApp.h"

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

// The "Setup" sheet as /c shows it, run in this program: its modal loop on a thread of its own while the
// test drives its windows, and an application object alive for what F1 reaches.
class SetupSession {
public:
    static constexpr int kApplyButton = 0x3021;
    static constexpr DWORD kTimeout = 20000;

    SetupSession() = default;
    ~SetupSession() { End(); }
    SetupSession(const SetupSession&) = delete;
    SetupSession& operator=(const SetupSession&) = delete;

    // Runs the sheet and waits for it, by its caption in the user's language; false when it did not appear.
    bool Open();
    // Wine takes the user interface language from the Unix locale the program started in.
    static bool InFrench() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_FRENCH; }
    HWND Sheet() const { return m_sheet; }
    HWND Page() const { return PropSheet_GetCurrentPageHwnd(m_sheet); }
    // Brings the page made from this dialog template to the front and returns the page in front.
    HWND ShowPage(int templateId) const
    {
        PropSheet_SetCurSelByID(m_sheet, templateId);
        return Page();
    }
    bool ApplyEnabled() const { return IsWindowEnabled(GetDlgItem(m_sheet, kApplyButton)) != FALSE; }
    // Presses Apply; true when the sheet then counts nothing as changed.
    bool Apply() const;
    // Presses a button of the sheet; true when its modal loop then ended.
    bool Close(int id);
    // Clicks a button of the page in front (posted: the page runs the dialog's modal loop before it returns) and
    // waits for the dialog with this caption.
    HWND OpenDialog(int button, LPCWSTR caption) const;
    // A visible top-level window of this program other than the sheet, once it shows.
    HWND WaitForOtherWindow(LPCWSTR className, LPCWSTR caption, DWORD timeoutMs = kTimeout) const;

    // Presses a button of a dialog (posted, as a click) and waits until the dialog is gone and the page in front
    // is done with what it handed back.
    bool EndDialog(HWND dialog, int button) const;
    // A list view's rows (first and second column), and a list box's entries with their selection.
    static std::vector<std::pair<std::wstring, std::wstring>> Rows(HWND list);
    static std::vector<std::pair<std::wstring, bool>> ListItems(HWND listBox);
    // Saves the window's picture for the docs (a binary PPM under QSS_OUT) and checks that the text of each of its
    // labels and buttons fits its rectangle in the control's font.
    static void CheckLayout(HWND window, const std::wstring& name);

private:
    static DWORD WINAPI RunSheet(void* session);
    // Ends whatever modal loops the sheet's thread still runs and waits for it.
    void End();

    CServicesSaverApp m_app;
    HANDLE m_thread = nullptr;
    DWORD m_threadId = 0;
    HWND m_sheet = nullptr;
};
