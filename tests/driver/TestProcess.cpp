#include "tests/driver/TestProcess.h"

TestProcess::~TestProcess()
{
    Kill();
}

bool TestProcess::Start(const std::wstring& commandLine)
{
    Kill();
    // CreateProcessW may write into the command line.
    std::wstring line = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    return CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &m_info) != 0;
}

bool TestProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode)
{
    if (m_info.hProcess == nullptr || WaitForSingleObject(m_info.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        Kill();
        return false;
    }
    if (exitCode)
        GetExitCodeProcess(m_info.hProcess, exitCode);
    return true;
}

bool TestProcess::EndsCleanly(DWORD timeoutMs)
{
    DWORD code = 99;
    return WaitForExit(timeoutMs, &code) && code == 0;
}

bool TestProcess::IsRunning() const
{
    return m_info.hProcess != nullptr && WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

void TestProcess::Kill()
{
    if (m_info.hProcess == nullptr)
        return;
    if (IsRunning()) {
        TerminateProcess(m_info.hProcess, 1);
        WaitForSingleObject(m_info.hProcess, 5000);
    }
    CloseHandle(m_info.hProcess);
    CloseHandle(m_info.hThread);
    m_info = {};
}
