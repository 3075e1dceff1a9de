#pragma once

#include "tests/driver/UiDriver.h"

#include <windows.h>

#include <string>

// A program under test: started with a command line, watched, and never left running.
class TestProcess {
public:
    TestProcess() = default;
    ~TestProcess();
    TestProcess(const TestProcess&) = delete;
    TestProcess& operator=(const TestProcess&) = delete;

    bool Start(const std::wstring& commandLine);
    HWND WaitForWindow(LPCWSTR className, LPCWSTR caption, DWORD timeoutMs) const
    {
        return UiDriver::WaitForWindow(m_info.dwProcessId, className, caption, timeoutMs);
    }
    // True when the process ended within the time; otherwise it is killed and false returned.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    // True when the process ended within the time with exit code 0.
    bool EndsCleanly(DWORD timeoutMs);
    bool IsRunning() const;
    void Kill();
    DWORD Id() const { return m_info.dwProcessId; }

private:
    PROCESS_INFORMATION m_info = {};
};
