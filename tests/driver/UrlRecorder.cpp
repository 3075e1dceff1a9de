#include "tests/driver/UrlRecorder.h"

#include "tests/driver/UiDriver.h"

#include <windows.h>

#include <fstream>
#include <sstream>

namespace {
// Wine's shell reads URL handlers from the machine's classes, not the user's.
const wchar_t* const kHttpCommand = L"Software\\Classes\\http\\shell\\open\\command";
}

UrlRecorder::UrlRecorder()
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kHttpCommand, 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr) != 0)
        return;
    wchar_t original[1024] = {};
    DWORD size = sizeof(original) - sizeof(wchar_t);
    RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(original), &size);
    RegCloseKey(key);
    m_original = original;

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    m_record = std::wstring(temp) + L"qss-url-record.txt";
    Clear();
    SetEnvironmentVariableW(L"QSS_RECORD_FILE", m_record.c_str());
    const std::wstring recorder = UiDriver::PathFromEnvironment("QSS_RECORDER");
    m_ready = !recorder.empty() && SetCommand(UiDriver::Quoted(recorder) + L" %1");
}

UrlRecorder::~UrlRecorder()
{
    if (m_ready)
        SetCommand(m_original);
    Clear();
}

bool UrlRecorder::SetCommand(const std::wstring& command)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kHttpCommand, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != 0)
        return false;
    const bool written = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                        static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == 0;
    RegCloseKey(key);
    return written;
}

std::string UrlRecorder::Recorded(size_t lines) const
{
    std::string text;
    for (int i = 0; i < 200; ++i) {
        std::ifstream file(m_record.c_str());
        std::stringstream content;
        content << file.rdbuf();
        text = content.str();
        size_t count = 0;
        for (char c : text)
            count += c == '\n';
        if (count >= lines)
            break;
        Sleep(50);
    }
    return text;
}

void UrlRecorder::Clear() const
{
    DeleteFileW(m_record.c_str());
}
