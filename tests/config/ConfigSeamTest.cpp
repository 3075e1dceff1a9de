// Where Wine cannot go: an unreachable server and the browse-for-computer dialog. The page and the
// dialog run inside this program, with the service seam and the browse seam set by the test.
#include "FakeServiceApi.h"
#include "config/CAddServicesDlg.h"
#include "config/CServicesPage.h"
#include "config/ComputerBrowser.h"
#include "framework/CPropertySheet.h"
#include "res/resource.h"
#include "tests/driver/SetupSession.h"
#include "tests/driver/TestRegistry.h"
#include "tests/driver/UiDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace {

using namespace TestRegistry;
const wchar_t* const kUnreachable = L"NOWHERE";
// The test's choice in the browse-for-computer dialog; null cancels it.
const wchar_t* g_chosenComputer = nullptr;

BOOL ChooseComputer(HWND, CString& computerName)
{
    if (g_chosenComputer != nullptr)
        computerName = g_chosenComputer;
    return g_chosenComputer != nullptr;
}

class ConfigSeams : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        DeleteSettings();
        m_fake.openSCManager = [this](LPCWSTR machine, LPCWSTR database, DWORD access) -> SC_HANDLE {
            m_machines.push_back(machine != nullptr ? machine : L"");
            if (machine == nullptr || lstrcmpiW(machine, kUnreachable) != 0)
                return RealServiceApi().openSCManager(machine, database, access);
            SetLastError(RPC_S_SERVER_UNAVAILABLE);
            return nullptr;
        };
    }
    void TearDown() override
    {
        CurrentComputerBrowser() = &BrowseNetworkComputer;
        DeleteSettings();
    }
    // Runs the modal loop on a thread of its own while the test drives its window, then ends it.
    template <class Modal, class Drive> void RunModal(Modal modal, LPCWSTR caption, Drive drive)
    {
        std::thread loop(modal);
        HWND window = nullptr;
        UiDriver::WaitFor(
            [&] {
                return (window = UiDriver::FindProcessWindow(GetCurrentProcessId(), L"#32770", caption)) != nullptr;
            },
            SetupSession::kTimeout);
        if (window != nullptr)
            drive(window);
        EXPECT_TRUE(window != nullptr && SetupSession::EndDialog(window, IDOK));
        loop.join();
    }

    FakeServiceApi m_fake;
    std::vector<std::wstring> m_machines;
};

} // namespace

TEST_F(ConfigSeams, ApplyKeepsPairsOfAnUnreachableServerAndOfAFailedLookup)
{
    const std::vector<ServiceEntry> local = LocalServices(SERVICE_WIN32, SERVICE_STATE_ALL);
    ASSERT_GE(local.size(), 2u);
    const std::wstring computer = ComputerName();
    const std::vector<std::wstring> servers = {computer, kUnreachable, computer, computer};
    const std::vector<std::wstring> services = {local[0].key, L"QvOnlyThere", L"QvNoSuchService", local[1].key};
    SaveLists(servers, services);
    CServicesPage page;
    CPropertySheet sheet(L"Setup", nullptr, 0);
    sheet.AddPage(&page);
    RunModal([&sheet] { sheet.DoModal(); }, L"Setup",
             [&](HWND window) {
                 HWND pageWindow = reinterpret_cast<HWND>(SendMessageW(window, PSM_GETCURRENTPAGEHWND, 0, 0));
                 EXPECT_EQ(SetupSession::Rows(GetDlgItem(pageWindow, IDC_SERVICE_LIST)),
                           (std::vector<std::pair<std::wstring, std::wstring>>{{computer, local[0].display},
                                                                               {kUnreachable, L""},
                                                                               {computer, L""},
                                                                               {computer, local[1].display}}));
             });
    EXPECT_NE(std::find(m_machines.begin(), m_machines.end(), kUnreachable), m_machines.end());
    EXPECT_EQ(ReadStoredList(L"SavedServers").entries, servers);
    EXPECT_EQ(ReadStoredList(L"SavedServices").entries, services);
}

TEST_F(ConfigSeams, BrowsedComputerRefillsTheListAndAnUnreachableOneEmptiesIt)
{
    CurrentComputerBrowser() = &ChooseComputer;
    CAddServicesDlg dialog(nullptr);
    RunModal([&dialog] { dialog.DoModal(); }, L"Services",
             [&](HWND window) {
                 const auto browse = [&](const wchar_t* chosen) {
                     g_chosenComputer = chosen;
                     m_machines.clear();
                     UiDriver::PressButton(window, IDC_BROWSE_SERVER);
                     return UiDriver::WindowText(GetDlgItem(window, IDC_SERVER_EDIT));
                 };
                 HWND list = GetDlgItem(window, IDC_AVAILABLE_LIST);
                 UiDriver::PressButton(window, IDC_SELECT_ALL);
                 const auto all = SetupSession::ListItems(list);
                 EXPECT_EQ(browse(nullptr), ComputerName());
                 EXPECT_EQ(SetupSession::ListItems(list), all) << "a cancelled browse refilled the list";
                 // Wine opens its own manager for any name, so the other computer lists the same services.
                 EXPECT_EQ(browse(L"ELSEWHERE"), L"ELSEWHERE");
                 EXPECT_EQ(m_machines, std::vector<std::wstring>{L"ELSEWHERE"});
                 const auto refilled = SetupSession::ListItems(list);
                 EXPECT_EQ(refilled.size(), all.size());
                 EXPECT_TRUE(
                     std::none_of(refilled.begin(), refilled.end(), [](const auto& item) { return item.second; }));
                 EXPECT_EQ(browse(kUnreachable), kUnreachable);
                 EXPECT_TRUE(SetupSession::ListItems(list).empty());
                 UiDriver::PressButton(window, IDC_SELECT_RUNNING);
             });
    EXPECT_EQ(CString(dialog.m_strServer), kUnreachable);
    EXPECT_TRUE(dialog.m_arrChosen.IsEmpty());
    EXPECT_TRUE(dialog.m_bChanged);
}
