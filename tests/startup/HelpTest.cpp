// Help opens the maker's page through the shell: the http open command is pointed at a recorder.
#include "tests/driver/SetupSession.h"
#include "tests/driver/UiDriver.h"
#include "tests/driver/UrlRecorder.h"

#include <gtest/gtest.h>

TEST(Help, F1InTheSetupSheetOpensTheMakersPage)
{
    UrlRecorder recorder;
    ASSERT_TRUE(recorder.Ready());
    SetupSession setup;
    ASSERT_TRUE(setup.Open());
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(setup.Sheet(), IDHELP))) << "help is a key, not a button";
    SetForegroundWindow(setup.Sheet());
    Sleep(300);
    UiDriver::PressKey(VK_F1);
    EXPECT_EQ(recorder.Recorded(1), "http://www.zentrix.example/default.asp?Jump=Saver\n");
    EXPECT_TRUE(setup.Close(IDCANCEL));
}
