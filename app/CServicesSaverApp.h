#pragma once

#include "framework/CWinApp.h"

// The program's application object: checks the system, then runs the mode the switch names.
class CServicesSaverApp : public CWinApp {
public:
    enum class Mode { Configure, Preview, FullScreen, ShowCommandLine };

    BOOL InitInstance() override;
    void WinHelp(DWORD_PTR data, UINT command) override;

    void RunSetupSheet();

    // The mode named by argument 1 of a split command line (argument 0 is the program).
    static Mode ModeFromArguments(int argc, const LPCWSTR* argv);
    // The preview parent's handle from argument 2, or null when it is missing or not a number.
    static HWND PreviewParentFromArguments(int argc, const LPCWSTR* argv);
    static bool IsSupportedVersion(const OSVERSIONINFOW& version);
    static CString HelpUrl();

private:
    void RunPreview(HWND parent);
    void RunFullScreen();
};
