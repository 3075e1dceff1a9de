// Help opens the maker's page through the shell: the http open command is pointed at a recorder.
#include "app/CServicesSaverApp.h"
#include "tests/driver/TestProcess.h"
#include "tests/driver/UiDriver.h"
#include "tests/driver/UrlRecorder.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

class Help : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_recorder.Ready()); }
    std::string Recorded(size_t lines) const { return m_recorder.Recorded(lines); }

    UrlRecorder m_recorder;
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
