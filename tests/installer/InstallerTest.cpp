// The installer under Wine: silent install, a second install over the first, silent uninstall.
#include "tests/driver/TestProcess.h"
#include "tests/driver/UiDriver.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

const wchar_t* const kDesktop = L"Control Panel\\Desktop";
const wchar_t* const kSettingsKey = L"Software\\Zentrix\\ScreenSaver\\Quorvane Screen Saver";
const wchar_t* const kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuorvaneScreenSaver";
const wchar_t* const kPrevious = L"C:\\windows\\system32\\previous.scr";

std::wstring ReadString(HKEY root, LPCWSTR key, LPCWSTR name, REGSAM view = 0)
{
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    HKEY opened;
    if (RegOpenKeyExW(root, key, 0, KEY_READ | view, &opened) != 0)
        return L"<missing key>";
    const LONG result = RegQueryValueExW(opened, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(opened);
    return result == 0 ? value : L"<missing>";
}

void WriteString(HKEY root, LPCWSTR key, LPCWSTR name, const std::wstring& value)
{
    HKEY opened;
    ASSERT_EQ(RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr), 0);
    RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(opened);
}

std::string Contents(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Runs a command to its end; its exit code, or 99 when it did not end.
DWORD RunToEnd(const std::wstring& command)
{
    TestProcess process;
    DWORD code = 99;
    if (!process.Start(command) || !process.WaitForExit(120000, &code))
        return 99;
    return code;
}

std::wstring InstalledSaver()
{
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    return std::wstring(system) + L"\\QuorvaneSaver.scr";
}

TEST(Installer, InstallsIntoTheSystemFolderAndUninstallPutsEverythingBack)
{
    const std::wstring setup = UiDriver::PathFromEnvironment("QSS_SETUP");
    ASSERT_TRUE(PathFileExistsW(setup.c_str())) << "the installer is built by the scripts";
    WriteString(HKEY_CURRENT_USER, kDesktop, L"SCRNSAVE.EXE", kPrevious);
    WriteString(HKEY_CURRENT_USER, kSettingsKey, L"Probe", L"kept until uninstall");

    ASSERT_EQ(RunToEnd(UiDriver::Quoted(setup) + L" /S"), 0u);
    const std::string built = Contents(UiDriver::PathFromEnvironment("QSS_SCR"));
    ASSERT_FALSE(built.empty());
    EXPECT_EQ(Contents(InstalledSaver()), built) << "the 64-bit saver belongs in the 64-bit system folder";
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kDesktop, L"SCRNSAVE.EXE"), InstalledSaver());
    BOOL active = FALSE;
    SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    EXPECT_TRUE(active);
    const std::wstring uninstall = ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString", KEY_WOW64_64KEY);
    ASSERT_EQ(uninstall.front(), L'"');
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", KEY_WOW64_64KEY), L"Quorvane Screen Saver");

    // A second install over the first must not take itself for the saver to give back.
    ASSERT_EQ(RunToEnd(UiDriver::Quoted(setup) + L" /S"), 0u);
    EXPECT_EQ(Contents(InstalledSaver()), built);

    // _?= keeps the uninstaller in place, so it ends only when it has finished.
    const std::wstring uninstaller = uninstall.substr(1, uninstall.find(L'"', 1) - 1);
    std::wstring folder = uninstaller.substr(0, uninstaller.rfind(L'\\'));
    ASSERT_EQ(RunToEnd(UiDriver::Quoted(uninstaller) + L" /S _?=" + folder), 0u);
    EXPECT_FALSE(PathFileExistsW(InstalledSaver().c_str()));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kDesktop, L"SCRNSAVE.EXE"), kPrevious);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kSettingsKey, L"Probe"), L"<missing key>");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", KEY_WOW64_64KEY), L"<missing key>");
    DeleteFileW(uninstaller.c_str());
    RemoveDirectoryW(folder.c_str());
}

}
