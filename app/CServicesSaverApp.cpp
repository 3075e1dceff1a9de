#include "app/CServicesSaverApp.h"

#include "BuildSettings.h"
#include "app/CSaverFrameWnd.h"
#include "config/CAboutPage.h"
#include "config/CDisplayPage.h"
#include "config/CServicesPage.h"
#include "config/CSettingsps.h"
#include "display/CMonitorWnd.h"
#include "hlink/ShellOpen.h"
#include "res/resource.h"

#include <shellapi.h>

#include <cwchar>

namespace {
constexpr DWORD kVersionInfoSize = 276;

// Owns the array CommandLineToArgvW returns.
class ArgumentList {
public:
    ArgumentList() : m_argv(CommandLineToArgvW(GetCommandLineW(), &m_argc)) {}
    ~ArgumentList() { LocalFree(m_argv); }
    ArgumentList(const ArgumentList&) = delete;
    ArgumentList& operator=(const ArgumentList&) = delete;
    int Count() const { return m_argv ? m_argc : 0; }
    const LPCWSTR* Values() const { return const_cast<const LPCWSTR*>(m_argv); }

private:
    int m_argc = 0;
    LPWSTR* m_argv;
};
}

BOOL CServicesSaverApp::InitInstance()
{
    Enable3dControls();

    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = kVersionInfoSize;
    GetVersionExW(&version);
    if (!IsSupportedVersion(version)) {
        AfxMessageBox(L"Sorry! This software requieres Windows 2000 or later.", MB_ICONHAND);
        return FALSE;
    }

    const ArgumentList arguments;
    switch (ModeFromArguments(arguments.Count(), arguments.Values())) {
    case Mode::Configure:
        RunSetupSheet();
        break;
    case Mode::Preview:
        RunPreview(PreviewParentFromArguments(arguments.Count(), arguments.Values()));
        break;
    case Mode::FullScreen:
        RunFullScreen();
        break;
    case Mode::ShowCommandLine:
        AfxMessageBox(GetCommandLineW(), MB_OK);
        break;
    }
    return TRUE;
}

void CServicesSaverApp::WinHelp(DWORD_PTR, UINT)
{
    ShellOpen(nullptr, HelpUrl());
}

CString CServicesSaverApp::HelpUrl()
{
    return CString(MAKER_URL) + L"/default.asp?Jump=Saver";
}

bool CServicesSaverApp::IsSupportedVersion(const OSVERSIONINFOW& version)
{
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;
}

CServicesSaverApp::Mode CServicesSaverApp::ModeFromArguments(int argc, const LPCWSTR* argv)
{
    if (argc <= 1)
        return Mode::Configure;
    CString sw(argv[1]);
    sw.MakeLower();
    // One prefix character only: "//s" keeps "/s" and is not a switch.
    if (!sw.IsEmpty() && (sw[0] == L'/' || sw[0] == L'-'))
        sw = sw.Mid(1);
    if (sw.IsEmpty())
        return Mode::ShowCommandLine;
    switch (sw[0]) {
    case L'c':
        return Mode::Configure;
    case L'p':
        return Mode::Preview;
    case L's':
        return Mode::FullScreen;
    default:
        return Mode::ShowCommandLine;
    }
}

HWND CServicesSaverApp::PreviewParentFromArguments(int argc, const LPCWSTR* argv)
{
    if (argc < 3)
        return nullptr;
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(_wtol(argv[2])));
}

void CServicesSaverApp::RunSetupSheet()
{
    // Declaration order makes the sheet go first, then the About, the Services and the Display page.
    CDisplayPage display;
    CServicesPage services;
    CAboutPage about;
    CSettingsps sheet(IDS_SETUP, nullptr, 0);
    sheet.AddPage(&display);
    sheet.AddPage(&services);
    sheet.AddPage(&about);
    sheet.DoModal();
}

void CServicesSaverApp::RunPreview(HWND parent)
{
    // A missing or stale parent leaves nothing to draw in: end without a main window.
    if (parent == nullptr || !IsWindow(parent))
        return;
    RECT client;
    ::GetClientRect(parent, &client);
    auto* window = new CMonitorWnd(TRUE);
    // A failed creation has already deleted the window object; the program then just ends.
    if (!window->Create(0, WS_CHILD | WS_VISIBLE, client, parent, 0))
        return;
    m_pMainWnd = window;
    // The parent belongs to the Display control panel. Where its DPI awareness differs from ours, making a window in
    // it resets this process's awareness (Windows 8.1, and 10 from version 1703; before 1703, Windows 10 gives the
    // window alone the parent's), as one window tree cannot mix them. So the preview takes the DPI this process has
    // once its window exists, read by the window itself, and the parent's size as seen now, not before: its row and
    // its font then fit the parent in the parent's own scaling, on Windows 7 (which resets nothing) to 11.
    ::GetClientRect(parent, &client);
    ::MoveWindow(*window, 0, 0, client.right, client.bottom, TRUE);
}

void CServicesSaverApp::RunFullScreen()
{
    auto* window = new CSaverFrameWnd;
    if (window->CreateFullScreen())
        m_pMainWnd = window;
}
