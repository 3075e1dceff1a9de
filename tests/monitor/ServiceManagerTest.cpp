#include "FakeServiceApi.h"
#include "ProbeService.h"
#include "monitor/CServiceManager.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

namespace {

std::map<std::wstring, DWORD> Enumerate(CServiceManager &manager, DWORD type, DWORD state)
{
    std::map<std::wstring, DWORD> found;
    std::unique_ptr<BYTE[]> block;
    DWORD count = 0;
    if (manager.EnumServices(type, state, block, count))
        for (const auto *record = reinterpret_cast<const ENUM_SERVICE_STATUSW *>(block.get()); count-- > 0; ++record)
            found[record->lpServiceName] = record->ServiceStatus.dwServiceType;
    return found;
}

// Running probes with long, non-ASCII display names, so the active list outgrows two enumeration
// steps, and a stopped probe with the longest names the system allows.
TEST(ServiceManager, ListsAndNamesOfRealServices)
{
    std::vector<std::unique_ptr<ProbeService>> probes;
    std::map<std::wstring, std::wstring> names;
    for (int i = 0; i < 72; ++i) {
        const std::wstring key = L"QvBulk" + std::to_wstring(100 + i);
        std::wstring display = L"Quorvane sonde \u00e9t\u00e9 \u03a9 \u6f22 " + key;
        display.resize(250, L'\u00e0');
        probes.push_back(std::make_unique<ProbeService>(key, display));
        ASSERT_TRUE(probes.back()->Start());
        names[key] = display;
    }
    const std::wstring longKey = L"QvLong" + std::wstring(250, L'k');
    names[longKey] = L"Quorvane \u00fc" + std::wstring(246, L'd');
    probes.push_back(std::make_unique<ProbeService>(longKey, names[longKey]));
    ASSERT_TRUE(probes.back()->Installed());

    CServiceManager manager;
    ASSERT_TRUE(manager.Open(nullptr, nullptr, GENERIC_READ));
    FakeServiceApi seam;
    const auto active = Enumerate(manager, SERVICE_WIN32, SERVICE_ACTIVE);
    // One fixed step at a time, whatever else the manager lists: 16384, 32768, 49152 bytes and on.
    ASSERT_GE(seam.enumSizes.size(), 3u) << "the active list should need more than 32768 bytes";
    for (size_t i = 0; i < seam.enumSizes.size(); ++i)
        EXPECT_EQ(seam.enumSizes[i], 16384u * (i + 1));
    const auto all = Enumerate(manager, SERVICE_WIN32, SERVICE_STATE_ALL);
    const auto drivers = Enumerate(manager, SERVICE_DRIVER, SERVICE_STATE_ALL);
    EXPECT_EQ(active.count(longKey), 0u);
    EXPECT_EQ(all.count(longKey), 1u);
    for (const auto &[name, type] : all) {
        EXPECT_NE(type & SERVICE_WIN32, 0u);
        EXPECT_EQ(drivers.count(name), 0u);
    }

    for (const auto &[key, display] : names) {
        EXPECT_EQ(active.count(key), key == longKey ? 0u : 1u);
        CString text;
        EXPECT_TRUE(manager.GetDisplayName(key.c_str(), text));
        EXPECT_EQ(std::wstring(text), display);
        EXPECT_TRUE(manager.GetKeyName(display.c_str(), text));
        EXPECT_EQ(std::wstring(text), key);
    }
    CString text = L"left over";
    EXPECT_FALSE(manager.GetKeyName(L"No service is called this", text));
    EXPECT_TRUE(text.IsEmpty());
    text = L"left over";
    EXPECT_FALSE(manager.GetDisplayName(L"QvNoSuchService", text));
    EXPECT_TRUE(text.IsEmpty());
}

TEST(ServiceManager, EveryManagerOpenedIsClosedOnce)
{
    FakeServiceApi seam;
    {
        CServiceManager never, closed, reopened;
        ASSERT_TRUE(closed.Open(nullptr, nullptr, GENERIC_READ));
        EXPECT_TRUE(closed.Close());
        EXPECT_FALSE(closed.Close());
        ASSERT_TRUE(reopened.Open(nullptr, nullptr, GENERIC_READ));
        ASSERT_TRUE(reopened.Open(nullptr, nullptr, GENERIC_READ));
    }
    EXPECT_EQ(seam.managersOpened, 3);
    EXPECT_EQ(seam.managerHandlesClosed, 3);
}

} // namespace
