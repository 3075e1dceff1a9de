#include "tests/driver/TestProcess.h"

#include <cstdlib>

std::wstring TestProcess::PathFromEnvironment(const char* variable)
{
    // Wine's Z: drive sees the Linux side's root.
    const char* value = std::getenv(variable);
    std::wstring path = value ? L"Z:" : L"";
    for (const char* p = value; p != nullptr && *p; ++p)
        path += *p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return path;
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

bool TestProcess::EndsCleanly(DWORD timeoutMs, DWORD exitCode)
{
    DWORD code = 99;
    const bool ended = m_info.hProcess != nullptr && WaitForSingleObject(m_info.hProcess, timeoutMs) == WAIT_OBJECT_0 &&
                       GetExitCodeProcess(m_info.hProcess, &code);
    Kill();
    return ended && code == exitCode;
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
