#pragma once

#include "framework/CObject.h"
#include "framework/CString.h"

#include <windows.h>

class CWnd;

// The framework's standard help command id.
constexpr UINT ID_HELP = 0xE146;

// The application object: one global instance, started by AfxWinMain.
class CWinApp : public CObject {
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    // Runs the message loop while a main window exists; returns the exit code.
    virtual int Run();
    virtual int ExitInstance();
    virtual void WinHelp(DWORD_PTR data, UINT command);
    // Routes an application command; TRUE when something handled it.
    virtual BOOL OnCmdMsg(UINT id);

    void OnHelp();
    void Enable3dControls();

    HINSTANCE m_hInstance = nullptr;
    // Caption of the application's message boxes: the executable's name without extension.
    CString m_pszAppName;
    CWnd* m_pMainWnd = nullptr;

private:
    int m_exitCode = 0;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
int AfxMessageBox(LPCWSTR text, UINT type = MB_OK);
// Body of the program's wWinMain.
int AfxWinMain(HINSTANCE instance);
