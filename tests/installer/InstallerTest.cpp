// The installer under Wine: silent install, a second install over the first, and the silent uninstall a
// deployment tool runs; and the Windows Installer packages: install, major upgrade, removal, and their refusals.
#include "tests/driver/TestProcess.h"
#include "tests/driver/TestRegistry.h"

#include <gtest/gtest.h>
#include <msi.h>
#include <shlwapi.h>

#include <cstdio>
#include <fstream>
#include <functional>
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

// Runs a command to its end: its exit code. Under the emulator, beside other runs, one start of the installer has
// taken over 2 minutes.
DWORD ExitCodeOf(const std::wstring& command)
{
    TestProcess process;
    return process.Start(command) ? process.ExitCode(600000) : STILL_ACTIVE;
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

// Where 32-bit programs go through an emulator, each start of the installer takes a minute or more: a row that
// needs starts of its own is left out there, and says so for the stage to count.
bool Runs(const char* row)
{
    if (GetEnvironmentVariableW(L"QSS_INSTALL_ONCE", nullptr, 0) == 0)
        return true;
    std::printf("[ LEFT OUT ] %s: each start of the 32-bit installer takes a minute under the emulator\n", row);
    return false;
}

TEST(Installer, InstallsIntoTheSystemFolderAndUninstallPutsEverythingBack)
{
    const std::wstring setup = TestProcess::PathFromEnvironment("QSS_SETUP");
    ASSERT_TRUE(PathFileExistsW(setup.c_str())) << "the installer is built by the scripts";
    ASSERT_TRUE(Set(L"SCRNSAVE.EXE", REG_SZ, kPrevious, sizeof(kPrevious), kDesktop));
    ASSERT_TRUE(Set(L"Probe", REG_SZ, L"kept until uninstall", sizeof(L"kept until uninstall")));
    const auto install = [&setup](const std::wstring& folder, const char* program = nullptr) {
        const std::wstring path = program ? TestProcess::PathFromEnvironment(program) : setup;
        return ExitCodeOf(TestProcess::Quoted(path) + L" /S" + (folder.empty() ? L"" : L" /D=" + folder));
    };
    const auto quietUninstall = [] {
        return ExitCodeOf(Get(L"QuietUninstallString", kUninstallKey, HKEY_LOCAL_MACHINE).Text());
    };

    // Refused with NSIS's abort code, nothing registered: a folder holding a character cmd.exe takes for its own,
    // or one that makes the uninstall command longer than NSIS's 1023 characters (with C:\windows\system32, over
    // 132 characters); an uninstaller (a folder in its place) or a saver file it cannot write; a package of the
    // saver installed.
    const std::function<void()> nothing = [] {};
    static const wchar_t blocked[] = L"C:\\Blocked\\Uninstall.exe";
    const struct {
        const char* row;
        std::wstring folder;
        std::function<void()> before, after;
    } refusals[] = {
        {"a folder holding &", L"C:\\Tools & Savers", nothing, nothing},
        {"a folder too long", L"C:\\" + std::wstring(130, L'x'), nothing, nothing},
        {"an uninstaller it cannot write", L"C:\\Blocked",
         [] { CreateDirectoryW(L"C:\\Blocked", nullptr) && CreateDirectoryW(blocked, nullptr); },
         [] {
             EXPECT_FALSE(PathFileExistsW(InstalledSaver().c_str())) << "no saver without its uninstaller";
             RemoveDirectoryW(blocked);
             RemoveDirectoryW(L"C:\\Blocked");
         }},
        {"a saver file it cannot write", L"", [] { CreateDirectoryW(InstalledSaver().c_str(), nullptr); },
         [] { RemoveDirectoryW(InstalledSaver().c_str()); }},
        {"a package of the saver installed", L"",
         [] { EXPECT_EQ(ExitCodeOf(L"msiexec /qn /i " + Msi("QSS_MSI_X64")), 0u); },
         [] { EXPECT_EQ(ExitCodeOf(L"msiexec /qn /x " + Msi("QSS_MSI_X64")), 0u); }},
    };
    for (const auto& refusal : refusals) {
        if (!Runs(refusal.row))
            continue;
        refusal.before();
        EXPECT_EQ(install(refusal.folder), 2u) << refusal.row;
        EXPECT_FALSE(Get(L"DisplayName", kUninstallKey, HKEY_LOCAL_MACHINE).present) << refusal.row;
        refusal.after();
    }

    // The longest folder the command takes, holding brackets, which cmd.exe must pass on to the uninstaller.
    std::wstring folder = L"C:\\Program Files (x86)\\Quorvane Screen Saver ";
    folder.resize(132, L'x');
    ASSERT_EQ(install(folder), 0u);
    EXPECT_EQ(ExitCodeOf(L"msiexec /qn /i " + Msi("QSS_MSI_X64")), static_cast<DWORD>(ERROR_INSTALL_FAILURE));
    const std::string built = Contents(TestProcess::PathFromEnvironment("QSS_SCR"));
    ASSERT_FALSE(built.empty());
    EXPECT_EQ(Contents(InstalledSaver()), built) << "the 64-bit saver belongs in the 64-bit system folder";
    EXPECT_EQ(Get(L"SCRNSAVE.EXE", kDesktop).Text(), InstalledSaver());
    BOOL active = FALSE;
    SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    EXPECT_TRUE(active);
    const std::wstring uninstaller = folder + L"\\Uninstall.exe";
    EXPECT_EQ(Get(L"UninstallString", kUninstallKey, HKEY_LOCAL_MACHINE).Text(), L'"' + uninstaller + L'"');
    EXPECT_EQ(Get(L"DisplayName", kUninstallKey, HKEY_LOCAL_MACHINE).Text(), L"Quorvane Screen Saver");
    wchar_t version[32] = L"";
    GetEnvironmentVariableW(L"QSS_VERSION", version, 32);
    EXPECT_EQ(Get(L"DisplayVersion", kUninstallKey, HKEY_LOCAL_MACHINE).Text(), version);

    // Without its uninstaller, the command ends with 2 (file not found) at once, and leaves the entry to try again.
    ASSERT_TRUE(MoveFileW(uninstaller.c_str(), (uninstaller + L".away").c_str()));
    EXPECT_EQ(quietUninstall(), 2u);
    EXPECT_TRUE(Get(L"DisplayName", kUninstallKey, HKEY_LOCAL_MACHINE).present);
    ASSERT_TRUE(MoveFileW((uninstaller + L".away").c_str(), uninstaller.c_str()));

    if (Runs("a second install, then uninstalls beside a running saver (3010) and another file (145)")) {
        // A second install over the first must not take itself for the saver to give back.
        ASSERT_EQ(install(folder), 0u);
        EXPECT_EQ(Contents(InstalledSaver()), built);
        TestProcess saver;
        ASSERT_TRUE(saver.Start(TestProcess::Quoted(InstalledSaver()) + L" /a"));
        const HWND box = saver.WaitForWindow(L"#32770", L"QuorvaneSaver", 20000);
        EXPECT_EQ(quietUninstall(), 3010u) << "a running saver keeps its file until the next start";
        EXPECT_TRUE(AllValues(kUninstallKey, HKEY_LOCAL_MACHINE).empty());
        UiDriver::PostButtonClick(box, IDOK);
        EXPECT_TRUE(saver.EndsCleanly(20000));
        ASSERT_EQ(install(folder), 0u);
        std::ofstream((folder + L"\\theirs.txt").c_str()) << "not the saver's";
        EXPECT_EQ(quietUninstall(), 145u) << "another file keeps the folder";
        EXPECT_FALSE(PathFileExistsW(uninstaller.c_str()));
        EXPECT_TRUE(DeleteFileW((folder + L"\\theirs.txt").c_str()));
        ASSERT_EQ(install(folder), 0u);
    }

    // The silent command as a tool reads it from the entry and waits for it: when it ends, nothing is left.
    EXPECT_EQ(quietUninstall(), 0u);
    EXPECT_FALSE(PathFileExistsW(InstalledSaver().c_str()));
    EXPECT_FALSE(PathFileExistsW(folder.c_str())) << "its folder";
    EXPECT_TRUE(AllValues(kUninstallKey, HKEY_LOCAL_MACHINE).empty());
    EXPECT_EQ(Get(L"SCRNSAVE.EXE", kDesktop).Text(), kPrevious);
    EXPECT_FALSE(Get(L"Probe").present);

    // Run as LocalSystem (the tests' build reads that account's SID), install and uninstall set nothing per user,
    // where the logon screen would take it: no saver, nothing to give back, not a user's own choice.
    if (Runs("an install and an uninstall run as LocalSystem")) {
        const auto desktop = AllValues(kDesktop);
        ASSERT_EQ(install(L"", "QSS_SYSTEM_SETUP"), 0u);
        EXPECT_EQ(AllValues(kDesktop), desktop);
        EXPECT_TRUE(AllValues(L"Software\\Zentrix\\ScreenSaver\\Setup").empty());
        const std::wstring saverPath = InstalledSaver();
        ASSERT_TRUE(Set(L"SCRNSAVE.EXE", REG_SZ, saverPath.c_str(), 2 * saverPath.size() + 2, kDesktop));
        ASSERT_TRUE(Set(L"Probe", REG_SZ, L"kept", sizeof(L"kept")));
        const auto chosen = AllValues(kDesktop);
        EXPECT_EQ(quietUninstall(), 0u);
        EXPECT_EQ(AllValues(kDesktop), chosen);
        EXPECT_TRUE(Get(L"Probe").present);
    }
}

TEST(Package, InstallsUpgradesAndRemovesSilentlyAndRefusesWindowsItIsNotFor)
{
    // The version of each installed product of the packages' upgrade code, as its installed-programs entry shows it.
    const std::wstring upgradeCode = L"{" + std::wstring(_wgetenv(L"QSS_UPGRADE_CODE")) + L"}";
    const auto installedVersions = [&upgradeCode] {
        std::vector<std::wstring> versions;
        wchar_t product[39];
        for (DWORD i = 0; MsiEnumRelatedProductsW(upgradeCode.c_str(), 0, i, product) == 0; ++i)
            versions.push_back(Get(L"DisplayVersion", (kUninstall + product).c_str(), HKEY_LOCAL_MACHINE).Text());
        return versions;
    };
    const auto install = [](const char* package) { return ExitCodeOf(L"msiexec /qn /i " + Msi(package)); };
    // The log is removed as it is found, so none is left for a later run to find.
    const std::wstring log = TestProcess::PathFromEnvironment("QSS_OUT") + L"\\package-install.log";
    ASSERT_EQ(ExitCodeOf(L"msiexec /qn /i " + Msi("QSS_MSI_X64") + L" /l*v " + TestProcess::Quoted(log)), 0u);
    EXPECT_TRUE(DeleteFileW(log.c_str())) << "no verbose log";
    // The saver lands in system32, and starts from there: its box for an unknown switch.
    TestProcess saver;
    ASSERT_TRUE(saver.Start(TestProcess::Quoted(InstalledSaver()) + L" /a"));
    UiDriver::PostButtonClick(saver.WaitForWindow(L"#32770", L"QuorvaneSaver", 20000), IDOK);
    EXPECT_TRUE(saver.EndsCleanly(20000)) << "no box to close";

    // Another build of this version (its fourth field one up) is refused rather than installed beside it; a later
    // version replaces the product (Windows Installer's major upgrade) and leaves one entry; an earlier version is
    // refused over it.
    const std::wstring version = _wgetenv(L"QSS_VERSION"), later = _wgetenv(L"QSS_LATER_VERSION");
    EXPECT_EQ(install("QSS_REBUILT_MSI"), static_cast<DWORD>(ERROR_PRODUCT_VERSION));
    EXPECT_EQ(installedVersions(), std::vector<std::wstring>{version});
    EXPECT_EQ(install("QSS_LATER_MSI"), 0u);
    EXPECT_EQ(installedVersions(), std::vector<std::wstring>{later});
    EXPECT_EQ(install("QSS_MSI_X64"), static_cast<DWORD>(ERROR_INSTALL_FAILURE));
    EXPECT_EQ(installedVersions(), std::vector<std::wstring>{later});
    EXPECT_EQ(ExitCodeOf(L"msiexec /qn /x " + Msi("QSS_LATER_MSI")), 0u);
    EXPECT_FALSE(PathFileExistsW(InstalledSaver().c_str()));

    // Refused, leaving no entry: the 32-bit package on 64-bit Windows; the 64-bit one on Windows on ARM (the
    // processor as the system's environment gives it), and where the installer's entry is in the 32-bit view.
    EXPECT_EQ(install("QSS_MSI_X86"), static_cast<DWORD>(ERROR_INSTALL_FAILURE));
    const wchar_t environment[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
    const Value processor = Get(L"PROCESSOR_ARCHITECTURE", environment, HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(Set(L"PROCESSOR_ARCHITECTURE", REG_SZ, L"ARM64", sizeof(L"ARM64"), environment, HKEY_LOCAL_MACHINE));
    EXPECT_EQ(install("QSS_MSI_X64"), static_cast<DWORD>(ERROR_INSTALL_FAILURE)) << "on ARM64";
    Set(L"PROCESSOR_ARCHITECTURE", processor.type, processor.bytes.data(), processor.bytes.size(), environment,
        HKEY_LOCAL_MACHINE);
    const std::wstring entry32 =
        L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuorvaneScreenSaver";
    ASSERT_TRUE(Set(L"UninstallString", REG_SZ, L"Uninstall.exe", sizeof(L"Uninstall.exe"), entry32.c_str(),
                    HKEY_LOCAL_MACHINE));
    EXPECT_EQ(install("QSS_MSI_X64"), static_cast<DWORD>(ERROR_INSTALL_FAILURE))
        << "the installer's, in the 32-bit view";
    DeleteSettings(entry32.c_str(), HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(installedVersions().empty());
}

}
