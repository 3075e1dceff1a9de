// Help opens the maker's page through the shell: the http open command is pointed at a recorder.
#include "app/CServicesSaverApp.h"
#include "tests/driver/TestProcess.h"
#include "tests/driver/UiDriver.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

// Wine's shell reads URL handlers from the machine's classes, not the user's.
const wchar_t* const kHttpCommand = L"Software\\Classes\\http\\shell\\open\\command";

class Help : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::wstring recorder = UiDriver::PathFromEnvironment("QSS_RECORDER");
        ASSERT_FALSE(recorder.empty());
        const std::wstring command = UiDriver::Quoted(recorder) + L" %1";
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kHttpCommand, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                                  nullptr),
                  0);
        DWORD size = sizeof(m_original);
        RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(m_original), &size);
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);

        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_record = std::wstring(temp) + L"qss-help-record.txt";
        DeleteFileW(m_record.c_str());
        SetEnvironmentVariableW(L"QSS_RECORD_FILE", m_record.c_str());
    }

    void TearDown() override
    {
        HKEY key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kHttpCommand, 0, KEY_WRITE, &key) == 0) {
            RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(m_original),
                           static_cast<DWORD>((lstrlenW(m_original) + 1) * sizeof(wchar_t)));
            RegCloseKey(key);
        }
        DeleteFileW(m_record.c_str());
    }

    // What the recorder wrote, once it has written it.
    std::string Recorded(size_t lines) const
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

    std::wstring m_record;
    wchar_t m_original[1024] = {};
};

TEST_F(Help, HelpCommandOpensTheMakersPage)
{
    CServicesSaverApp app;
    EXPECT_TRUE(app.OnCmdMsg(ID_HELP));
    EXPECT_EQ(Recorded(1), "http://www.zentrix.example/default.asp?Jump=Saver\n");

    // The context and command are ignored: any request lands on the same page.
    app.WinHelp(1234, HELP_FINDER);
    EXPECT_EQ(Recorded(2), "http://www.zentrix.example/default.asp?Jump=Saver\n"
                           "http://www.zentrix.example/default.asp?Jump=Saver\n");
    EXPECT_FALSE(app.OnCmdMsg(ID_HELP + 1));
}

TEST_F(Help, F1InTheSetupSheetOpensTheMakersPage)
{
    TestProcess saver;
    ASSERT_TRUE(saver.Start(UiDriver::Quoted(UiDriver::PathFromEnvironment("QSS_SCR")) + L" /c"));
    HWND sheet = saver.WaitForWindow(L"#32770", L"Setup", 20000);
    ASSERT_NE(sheet, nullptr);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet, IDHELP))) << "help is a key, not a button";
    SetForegroundWindow(sheet);
    Sleep(300);
    UiDriver::PressKey(VK_F1);
    EXPECT_EQ(Recorded(1), "http://www.zentrix.example/default.asp?Jump=Saver\n");
    UiDriver::ClickButton(sheet, IDCANCEL);
    EXPECT_TRUE(saver.WaitForExit(20000));
}

}
