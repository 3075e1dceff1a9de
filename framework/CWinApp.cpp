#include "framework/CWinApp.h"

#include <commctrl.h>

namespace {
CWinApp* g_app = nullptr;

CString ExecutableTitle()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == L'\\' || *p == L'/' || *p == L':')
            name = p + 1;
    CString title(name);
    for (int i = title.GetLength() - 1; i > 0; --i)
        if (title[i] == L'.')
            return title.Left(i);
    return title;
}
}

CWinApp::CWinApp(LPCWSTR appName) : m_pszAppName(appName)
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::Run()
{
    if (m_pMainWnd == nullptr)
        return ExitInstance();
    MSG msg = {};
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0 && got != -1) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // WM_QUIT carries the code given to PostQuitMessage.
    m_exitCode = got == 0 ? static_cast<int>(msg.wParam) : 0;
    return ExitInstance();
}

int CWinApp::ExitInstance()
{
    return m_exitCode;
}

void CWinApp::WinHelp(DWORD_PTR, UINT)
{
}

BOOL CWinApp::OnCmdMsg(UINT id)
{
    if (id == ID_HELP) {
        OnHelp();
        return TRUE;
    }
    return FALSE;
}

void CWinApp::OnHelp()
{
    WinHelp(0, HELP_CONTEXT);
}

void CWinApp::Enable3dControls()
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
}

CWinApp* AfxGetApp()
{
    return g_app;
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_app && g_app->m_hInstance ? g_app->m_hInstance : GetModuleHandleW(nullptr);
}

int AfxMessageBox(LPCWSTR text, UINT type)
{
    const CString title = g_app && !g_app->m_pszAppName.IsEmpty() ? g_app->m_pszAppName : ExecutableTitle();
    return MessageBoxW(nullptr, text, title, type);
}

int AfxWinMain(HINSTANCE instance)
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return 0;
    app->m_hInstance = instance;
    if (app->m_pszAppName.IsEmpty())
        app->m_pszAppName = ExecutableTitle();
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}
