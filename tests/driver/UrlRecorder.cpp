#include "tests/driver/UrlRecorder.h"

#include "tests/driver/UiDriver.h"

#include <windows.h>

#include <shlwapi.h>

#include <algorithm>
#include <fstream>
#include <iterator>

UrlRecorder::UrlRecorder()
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    m_record = std::wstring(temp) + L"qss-url-record.txt";
    DeleteFileW(m_record.c_str());
}

bool UrlRecorder::Record() const
{
    // The shell puts the address in place of %1; echo writes the rest of its line as it stands.
    return SetCommand(L"cmd.exe /c echo %1>>" + UiDriver::Quoted(m_record));
}

bool UrlRecorder::SetCommand(const std::wstring& command) const
{
    // Wine's shell reads URL handlers from the machine's classes, not the user's.
    return SHSetValueW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\http\\shell\\open\\command", nullptr, REG_SZ,
                       command.c_str(), static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == 0;
}

std::string UrlRecorder::Recorded(size_t lines) const
{
    std::string text;
    UiDriver::WaitFor(
        [&] {
            std::ifstream file(m_record.c_str());
            text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
            return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) >= lines;
        },
        10000);
    return text;
}
