#include "app/CServicesSaverApp.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Mode = CServicesSaverApp::Mode;

TEST(CommandLine, OnlyTheFirstLetterAfterOneDashOrSlashCountsInAnyCase)
{
    const struct {
        std::vector<LPCWSTR> arguments;
        Mode mode;
    } rows[] = {
        {{}, Mode::Configure},           {{L"/c"}, Mode::Configure},        {{L"/c:1234"}, Mode::Configure},
        {{L"C"}, Mode::Configure},       {{L"/s"}, Mode::FullScreen},       {{L"/screen"}, Mode::FullScreen},
        {{L"-SAVER"}, Mode::FullScreen}, {{L"/P", L"1234"}, Mode::Preview}, {{L"-preview"}, Mode::Preview},
    };
    for (auto row : rows) {
        row.arguments.insert(row.arguments.begin(), L"C:\\saver.scr");
        const int count = static_cast<int>(row.arguments.size());
        EXPECT_EQ(CServicesSaverApp::ModeFromArguments(count, row.arguments.data()), row.mode) << count;
    }
    for (LPCWSTR other : {L"/a", L"x", L"/", L"-", L"//s", L"-/c", L"", L" s"}) {
        LPCWSTR arguments[] = {L"C:\\saver.scr", other};
        EXPECT_EQ(CServicesSaverApp::ModeFromArguments(2, arguments), Mode::ShowCommandLine) << other;
    }
}

TEST(CommandLine, PreviewParentIsTheDecimalSecondArgument)
{
    LPCWSTR arguments[] = {L"x.scr", L"/p", L"4660"};
    EXPECT_EQ(CServicesSaverApp::PreviewParentFromArguments(3, arguments), reinterpret_cast<HWND>(4660));
    EXPECT_EQ(CServicesSaverApp::PreviewParentFromArguments(2, arguments), nullptr);
    arguments[2] = L"window";
    EXPECT_EQ(CServicesSaverApp::PreviewParentFromArguments(3, arguments), nullptr);
}

TEST(Version, WindowsTwoThousandOrLaterOnTheNtPlatform)
{
    // A 9x platform never passes, whatever number it reports.
    const struct {
        DWORD platform, major, minor;
        bool supported;
    } rows[] = {{VER_PLATFORM_WIN32_WINDOWS, 4, 10, false},
                {VER_PLATFORM_WIN32_WINDOWS, 6, 10, false},
                {VER_PLATFORM_WIN32_NT, 4, 0, false},
                {VER_PLATFORM_WIN32_NT, 5, 0, true},
                {VER_PLATFORM_WIN32_NT, 10, 0, true}};
    for (const auto &row : rows) {
        OSVERSIONINFOW version = {sizeof(version), row.major, row.minor, 0, row.platform, {}};
        EXPECT_EQ(CServicesSaverApp::IsSupportedVersion(version), row.supported) << row.platform << row.major;
    }
}

} // namespace
