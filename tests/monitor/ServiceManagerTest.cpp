#include "FakeServiceApi.h"
#include "ProbeService.h"
#include "monitor/CNamedServiceManager.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kBulkCount = 72;

std::wstring BulkName(int i)
{
    wchar_t name[32];
    swprintf(name, 32, L"QvBulk%03d", i);
    return name;
}

// Long, non-ASCII display names make the active list outgrow two enumeration steps.
std::wstring BulkDisplayName(int i)
{
    std::wstring name = L"Quorvane sonde \u00e9t\u00e9 \u03a9 \u6f22 " + BulkName(i) + L" ";
    while (name.size() < 250)
        name += L"\u00e0bc";
    return name;
}

std::map<std::wstring, DWORD> Enumerate(CServiceManager &manager, DWORD type, DWORD state)
{
    std::map<std::wstring, DWORD> found;
    std::unique_ptr<BYTE[]> block;
    DWORD count = 0;
    if (manager.EnumServices(type, state, block, count)) {
        const auto *records = reinterpret_cast<const ENUM_SERVICE_STATUSW *>(block.get());
        for (DWORD i = 0; i < count; ++i)
            found[records[i].lpServiceName] = records[i].ServiceStatus.dwServiceType;
    }
    return found;
}

// Many running probe services, installed once for the whole suite.
class BulkServices : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        for (int i = 0; i < kBulkCount; ++i)
            s_services.push_back(
                std::make_unique<ProbeService>(BulkName(i), BulkDisplayName(i), SERVICE_WIN32_OWN_PROCESS));
        for (auto &service : s_services)
            s_allStarted = service->Start() && s_allStarted;
    }
    static void TearDownTestSuite() { s_services.clear(); }

    static std::vector<std::unique_ptr<ProbeService>> s_services;
    static bool s_allStarted;
};

std::vector<std::unique_ptr<ProbeService>> BulkServices::s_services;
bool BulkServices::s_allStarted = true;

TEST_F(BulkServices, EnumerationGrowsInFixedStepsUntilEveryActiveServiceFits)
{
    ASSERT_TRUE(s_allStarted);
    CServiceManager manager;
    ASSERT_TRUE(manager.Open(nullptr, nullptr, GENERIC_READ));
    FakeServiceApi seam;
    const std::map<std::wstring, DWORD> active = Enumerate(manager, SERVICE_WIN32, SERVICE_ACTIVE);

    ASSERT_GE(seam.enumSizes.size(), 3u) << "the active list should need more than 32768 bytes";
    for (size_t i = 0; i < seam.enumSizes.size(); ++i)
        EXPECT_EQ(seam.enumSizes[i], 16384u * (i + 1));
    for (int i = 0; i < kBulkCount; ++i)
        EXPECT_EQ(active.count(BulkName(i)), 1u) << BulkName(i).size();
}

TEST_F(BulkServices, NamesTranslateBothWaysForNonAsciiDisplayNames)
{
    CServiceManager manager;
    ASSERT_TRUE(manager.Open(nullptr, L"ServicesActive", GENERIC_READ));
    CString display, key;
    EXPECT_TRUE(manager.GetDisplayName(BulkName(7).c_str(), display));
    EXPECT_EQ(std::wstring(display), BulkDisplayName(7));
    EXPECT_TRUE(manager.GetKeyName(BulkDisplayName(7).c_str(), key));
    EXPECT_EQ(std::wstring(key), BulkName(7));
}

TEST(ServiceManager, UnknownNamesGiveFalseAndEmptyText)
{
    CServiceManager manager;
    ASSERT_TRUE(manager.Open(nullptr, nullptr, GENERIC_READ));
    CString text = L"left over";
    EXPECT_FALSE(manager.GetKeyName(L"No service is called this", text));
    EXPECT_TRUE(text.IsEmpty());
    text = L"left over";
    EXPECT_FALSE(manager.GetDisplayName(L"QvNoSuchService", text));
    EXPECT_TRUE(text.IsEmpty());
}

TEST(ServiceManager, LongestNamesTheSystemAllowsTranslate)
{
    const std::wstring key = L"QvLong" + std::wstring(250, L'k');
    const std::wstring display = L"Quorvane \u00fc" + std::wstring(246, L'd');
    ProbeService probe(key, display);
    ASSERT_TRUE(probe.Installed());
    CServiceManager manager;
    ASSERT_TRUE(manager.Open(nullptr, nullptr, GENERIC_READ));
    CString text;
    EXPECT_TRUE(manager.GetDisplayName(key.c_str(), text));
    EXPECT_EQ(std::wstring(text), display);
    EXPECT_TRUE(manager.GetKeyName(display.c_str(), text));
    EXPECT_EQ(std::wstring(text), key);
}

TEST(ServiceManager, Win32TypeListsNoDriversAndStateFiltersDiffer)
{
    ProbeService stopped(L"QvStoppedProbe", L"Quorvane stopped probe");
    ASSERT_TRUE(stopped.Installed());
    CServiceManager manager;
    ASSERT_TRUE(manager.Open(nullptr, nullptr, GENERIC_READ));

    const auto all = Enumerate(manager, SERVICE_WIN32, SERVICE_STATE_ALL);
    const auto active = Enumerate(manager, SERVICE_WIN32, SERVICE_ACTIVE);
    const auto drivers = Enumerate(manager, SERVICE_DRIVER, SERVICE_STATE_ALL);
    EXPECT_EQ(all.count(L"QvStoppedProbe"), 1u);
    EXPECT_EQ(active.count(L"QvStoppedProbe"), 0u);
    EXPECT_LT(active.size(), all.size());
    for (const auto &[name, type] : all)
        EXPECT_NE(type & SERVICE_WIN32, 0u) << std::string(name.begin(), name.end());
    for (const auto &[name, type] : drivers)
        EXPECT_EQ(all.count(name), 0u);
}

TEST(ServiceManager, EnumerationFailureOtherThanRoomReturnsNoBlock)
{
    CServiceManager manager;
    ASSERT_TRUE(manager.Open(nullptr, nullptr, GENERIC_READ));
    FakeServiceApi seam;
    seam.enumServicesStatus = [](DWORD, LPDWORD, LPDWORD) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    };
    std::unique_ptr<BYTE[]> block;
    DWORD count = 0;
    EXPECT_FALSE(manager.EnumServices(SERVICE_WIN32, SERVICE_ACTIVE, block, count));
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(seam.enumSizes.size(), 1u);

    // A closed manager fails in the platform itself, with an invalid handle.
    manager.Close();
    EXPECT_FALSE(CServiceManager().EnumServices(SERVICE_WIN32, SERVICE_ACTIVE, block, count));
    EXPECT_EQ(block, nullptr);
}

TEST(ServiceManager, UnreachableServerLeavesManagerClosed)
{
    FakeServiceApi seam;
    seam.openSCManager = [](LPCWSTR, LPCWSTR, DWORD) -> SC_HANDLE {
        SetLastError(RPC_S_SERVER_UNAVAILABLE);
        return nullptr;
    };
    {
        CNamedServiceManager manager;
        EXPECT_FALSE(manager.Open(L"\\\\NOWHERE", L"ServicesActive", GENERIC_READ));
        EXPECT_FALSE(manager.IsOpen());
    }
    EXPECT_EQ(seam.managerHandlesClosed, 0);
}

TEST(ServiceManager, DestroyingUnopenedOrClosedManagerMakesNoCall)
{
    FakeServiceApi seam;
    {
        CServiceManager never;
    }
    EXPECT_EQ(seam.calls, 0);
    {
        CNamedServiceManager manager;
        ASSERT_TRUE(manager.Open(nullptr, nullptr, GENERIC_READ));
        EXPECT_TRUE(manager.Close());
        EXPECT_EQ(seam.managerHandlesClosed, 1);
        seam.calls = 0;
    }
    EXPECT_EQ(seam.calls, 0);
    {
        CServiceManager open;
        ASSERT_TRUE(open.Open(nullptr, nullptr, GENERIC_READ));
    }
    EXPECT_EQ(seam.managerHandlesClosed, 2);
}

} // namespace
