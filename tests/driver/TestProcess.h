#pragma once

#include "tests/driver/UiDriver.h"

#include <windows.h>

#include <string>

// A program under test: started with a command line, watched, and never left running.
class TestProcess {
public:
    TestProcess() = default;
    ~TestProcess() { Kill(); }
    TestProcess(const TestProcess&) = delete;
    TestProcess& operator=(const TestProcess&) = delete;

    // The Windows path of the file named by an environment variable the test set-up (CTest) provides.
    static std::wstring PathFromEnvironment(const char* variable);
    static std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }
    // The built saver (QSS_SCR) with these arguments.
    static std::wstring SaverCommand(const std::wstring& arguments)
    {
        return Quoted(PathFromEnvironment("QSS_SCR")) + L" " + arguments;
    }

    bool Start(const std::wstring& commandLine);
    HWND WaitForWindow(LPCWSTR className, LPCWSTR caption, DWORD timeoutMs) const
    {
        return UiDriver::WaitForWindow(m_info.dwProcessId, className, caption, timeoutMs);
    }
    // True when the process ended within the time with the exit code given (0 by default); it is killed otherwise.
    bool EndsCleanly(DWORD timeoutMs, DWORD exitCode = 0);
    bool IsRunning() const;

private:
    void Kill();

    PROCESS_INFORMATION m_info = {};
};
