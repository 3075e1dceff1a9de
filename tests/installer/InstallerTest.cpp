// The installer under Wine: silent install, a second install over the first, and the silent uninstall a
// deployment tool runs; and the Windows Installer packages: install, major upgrade, removal, and their refusals.
#include "tests/driver/TestProcess.h"
#include "tests/driver/TestRegistry.h"

#include <gtest/gtest.h>
#include <msi.h>
#include <shlwapi.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

using namespace TestRegistry;

const wchar_t* const kDesktop = L"Control Panel\\Desktop";
const wchar_t* const kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuorvaneScreenSaver";
const wchar_t kPrevious[] = L"C:\\windows\\system32\\previous.scr";
const std::wstring kUninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string Contents(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Runs a command to its end: its exit code.
DWORD ExitCodeOf(const std::wstring& command)
{
    TestProcess process;
    return process.Start(command) ? process.ExitCode(120000) : STILL_ACTIVE;
}

// A package named by an environment variable, quoted for msiexec.
std::wstring Msi(const char* variable)
{
    return TestProcess::Quoted(TestProcess::PathFromEnvironment(variable));
}

std::wstring InstalledSaver()
{
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    return std::wstring(system) + L"\\QuorvaneSaver.scr";
}

TEST(Installer, InstallsIntoTheSystemFolderAndUninstallPutsEverythingBack)
{
    const std::wstring setup = TestProcess::PathFromEnvironment("QSS_SETUP");
    ASSERT_TRUE(PathFileExistsW(setup.c_str())) << "the installer is built by the scripts";
    ASSERT_TRUE(Set(L"SCRNSAVE.EXE", REG_SZ, kPrevious, sizeof(kPrevious), kDesktop));
    ASSERT_TRUE(Set(L"Probe", REG_SZ, L"kept until uninstall", sizeof(L"kept until uninstall")));

    // A saver file it cannot write ends the installer with NSIS's abort code, nothing registered. Under an
    // emulator, where each 32-bit start costs a minute, the run installs once and leaves this out.
    const bool once = GetEnvironmentVariableW(L"QSS_INSTALL_ONCE", nullptr, 0) != 0;
    if (!once) {
        ASSERT_TRUE(CreateDirectoryW(InstalledSaver().c_str(), nullptr));
        EXPECT_EQ(ExitCodeOf(TestProcess::Quoted(setup) + L" /S"), 2u);
        EXPECT_FALSE(Get(L"DisplayName", kUninstallKey, HKEY_LOCAL_MACHINE).present);
        RemoveDirectoryW(InstalledSaver().c_str());
        // One owner of the file: the installer refuses where the package is installed, and the package (below)
        // where the installer's saver is.
        ASSERT_EQ(ExitCodeOf(L"msiexec /qn /i " + Msi("QSS_MSI_X64")), 0u);
        EXPECT_EQ(ExitCodeOf(TestProcess::Quoted(setup) + L" /S"), 2u);
        ASSERT_EQ(ExitCodeOf(L"msiexec /qn /x " + Msi("QSS_MSI_X64")), 0u);
    }

    ASSERT_EQ(ExitCodeOf(TestProcess::Quoted(setup) + L" /S"), 0u);
    EXPECT_EQ(ExitCodeOf(L"msiexec /qn /i " + Msi("QSS_MSI_X64")), static_cast<DWORD>(ERROR_INSTALL_FAILURE));
    const std::string built = Contents(TestProcess::PathFromEnvironment("QSS_SCR"));
    ASSERT_FALSE(built.empty());
    EXPECT_EQ(Contents(InstalledSaver()), built) << "the 64-bit saver belongs in the 64-bit system folder";
    EXPECT_EQ(Get(L"SCRNSAVE.EXE", kDesktop).Text(), InstalledSaver());
    BOOL active = FALSE;
    SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    EXPECT_TRUE(active);
    const std::wstring uninstall = Get(L"UninstallString", kUninstallKey, HKEY_LOCAL_MACHINE).Text();
    ASSERT_EQ(uninstall.substr(0, 1), L"\"");
    EXPECT_EQ(Get(L"DisplayName", kUninstallKey, HKEY_LOCAL_MACHINE).Text(), L"Quorvane Screen Saver");
    wchar_t version[32] = L"";
    GetEnvironmentVariableW(L"QSS_VERSION", version, 32);
    EXPECT_EQ(Get(L"DisplayVersion", kUninstallKey, HKEY_LOCAL_MACHINE).Text(), version);

    // A second install over the first must not take itself for the saver to give back.
    if (!once) {
        ASSERT_EQ(ExitCodeOf(TestProcess::Quoted(setup) + L" /S"), 0u);
        EXPECT_EQ(Contents(InstalledSaver()), built);
    }

    // The silent command as a tool reads it from the entry and waits for it: when it ends, nothing is left.
    const std::wstring uninstaller = uninstall.substr(1, uninstall.find(L'"', 1) - 1);
    ASSERT_TRUE(PathFileExistsW(uninstaller.c_str()));
    ASSERT_EQ(ExitCodeOf(Get(L"QuietUninstallString", kUninstallKey, HKEY_LOCAL_MACHINE).Text()), 0u);
    EXPECT_FALSE(PathFileExistsW(InstalledSaver().c_str()));
    EXPECT_FALSE(PathFileExistsW(uninstaller.substr(0, uninstaller.rfind(L'\\')).c_str())) << "its folder";
    EXPECT_TRUE(AllValues(kUninstallKey, HKEY_LOCAL_MACHINE).empty());
    EXPECT_EQ(Get(L"SCRNSAVE.EXE", kDesktop).Text(), kPrevious);
    EXPECT_FALSE(Get(L"Probe").present);
}

TEST(Package, InstallsUpgradesAndRemovesSilentlyAndThe32BitOneRefuses64BitWindows)
{
    // The version of each installed product of the packages' upgrade code, as its installed-programs entry shows it.
    const auto installedVersions = [] {
        std::vector<std::wstring> versions;
        wchar_t product[39];
        for (DWORD i = 0; MsiEnumRelatedProductsW(L"{86DA7AEE-8BB3-48C5-8A43-C467920B2EE2}", 0, i, product) == 0; ++i)
            versions.push_back(Get(L"DisplayVersion", (kUninstall + product).c_str(), HKEY_LOCAL_MACHINE).Text());
        return versions;
    };
    // The log is removed as it is found, so none is left for a later run to find.
    const std::wstring log = TestProcess::PathFromEnvironment("QSS_OUT") + L"\\package-install.log";
    ASSERT_EQ(ExitCodeOf(L"msiexec /qn /i " + Msi("QSS_MSI_X64") + L" /l*v " + TestProcess::Quoted(log)), 0u);
    EXPECT_TRUE(DeleteFileW(log.c_str())) << "no verbose log";
    // The saver lands in system32, and starts from there: its box for an unknown switch.
    TestProcess saver;
    ASSERT_TRUE(saver.Start(TestProcess::Quoted(InstalledSaver()) + L" /a"));
    UiDriver::PostButtonClick(saver.WaitForWindow(L"#32770", L"QuorvaneSaver", 20000), IDOK);
    EXPECT_TRUE(saver.EndsCleanly(20000)) << "no box to close";

    // A later version replaces the product (Windows Installer's major upgrade) and leaves one entry.
    EXPECT_EQ(ExitCodeOf(L"msiexec /qn /i " + Msi("QSS_LATER_MSI")), 0u);
    EXPECT_EQ(installedVersions(), std::vector<std::wstring>{_wgetenv(L"QSS_LATER_VERSION")});
    EXPECT_EQ(ExitCodeOf(L"msiexec /qn /x " + Msi("QSS_LATER_MSI")), 0u);
    EXPECT_FALSE(PathFileExistsW(InstalledSaver().c_str()));
    // The 32-bit package is for 32-bit Windows only. No entry is left of any.
    EXPECT_EQ(ExitCodeOf(L"msiexec /qn /i " + Msi("QSS_MSI_X86")), static_cast<DWORD>(ERROR_INSTALL_FAILURE));
    EXPECT_TRUE(installedVersions().empty());
}

}
