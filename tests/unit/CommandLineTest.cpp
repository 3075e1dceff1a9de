#include "app/CServicesSaverApp.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Mode = CServicesSaverApp::Mode;

Mode ModeOf(std::vector<LPCWSTR> arguments)
{
    arguments.insert(arguments.begin(), L"C:\\saver.scr");
    return CServicesSaverApp::ModeFromArguments(static_cast<int>(arguments.size()), arguments.data());
}

TEST(CommandLine, NoArgumentOrCMeansConfiguration)
{
    EXPECT_EQ(ModeOf({}), Mode::Configure);
    EXPECT_EQ(ModeOf({L"/c"}), Mode::Configure);
    EXPECT_EQ(ModeOf({L"/c:1234"}), Mode::Configure);
    EXPECT_EQ(ModeOf({L"C"}), Mode::Configure);
}

TEST(CommandLine, OnlyTheFirstLetterCountsInAnyCase)
{
    for (LPCWSTR arg : {L"/s", L"/S", L"-s", L"s", L"/screen", L"-SAVER"})
        EXPECT_EQ(ModeOf({arg}), Mode::FullScreen) << arg;
    EXPECT_EQ(ModeOf({L"/P", L"1234"}), Mode::Preview);
    EXPECT_EQ(ModeOf({L"-preview"}), Mode::Preview);
}

TEST(CommandLine, OneDashOrSlashIsRemovedAndTheRestShowsTheCommandLine)
{
    for (LPCWSTR arg : {L"/a", L"x", L"/", L"-", L"//s", L"-/c", L"", L" s"})
        EXPECT_EQ(ModeOf({arg}), Mode::ShowCommandLine) << arg;
}

TEST(CommandLine, PreviewParentIsTheDecimalSecondArgument)
{
    std::vector<LPCWSTR> args = {L"x.scr", L"/p", L"4660"};
    EXPECT_EQ(CServicesSaverApp::PreviewParentFromArguments(3, args.data()), reinterpret_cast<HWND>(4660));
    EXPECT_EQ(CServicesSaverApp::PreviewParentFromArguments(2, args.data()), nullptr);
    args[2] = L"window";
    EXPECT_EQ(CServicesSaverApp::PreviewParentFromArguments(3, args.data()), nullptr);
}

TEST(Version, WindowsTwoThousandOrLaterOnTheNtPlatform)
{
    OSVERSIONINFOW version = {};
    version.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    version.dwMajorVersion = 4;
    version.dwMinorVersion = 10;
    EXPECT_FALSE(CServicesSaverApp::IsSupportedVersion(version));
    version.dwMajorVersion = 6;  // a 9x platform never passes, whatever number it reports
    EXPECT_FALSE(CServicesSaverApp::IsSupportedVersion(version));
    version.dwPlatformId = VER_PLATFORM_WIN32_NT;
    version.dwMajorVersion = 4;
    EXPECT_FALSE(CServicesSaverApp::IsSupportedVersion(version));
    version.dwMajorVersion = 5;
    version.dwMinorVersion = 0;
    EXPECT_TRUE(CServicesSaverApp::IsSupportedVersion(version));
    version.dwMajorVersion = 10;
    EXPECT_TRUE(CServicesSaverApp::IsSupportedVersion(version));
}

}
