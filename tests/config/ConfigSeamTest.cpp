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

const wchar_t* const kUnreachable = L"NOWHERE";

// Runs a modal loop on a thread of its own, so the test's thread can drive its window; whatever
// a failed test leaves open is cancelled before the thread is joined.
class ModalRun {
public:
    template <class Body>
    ModalRun(Body body, LPCWSTR caption) : m_thread(body)
    {
        UiDriver::WaitFor(
            [&] { return (m_window = UiDriver::FindProcessWindow(GetCurrentProcessId(), L"#32770", caption)) != nullptr; },
            SetupSession::kTimeout);
    }
    ~ModalRun()
    {
        if (IsWindow(m_window))
            UiDriver::ClickButton(m_window, IDCANCEL);
        m_thread.join();
    }
    ModalRun(const ModalRun&) = delete;
    ModalRun& operator=(const ModalRun&) = delete;

    HWND Window() const { return m_window; }
    bool End(int button) const
    {
        UiDriver::ClickButton(m_window, button);
        return UiDriver::WaitFor([this] { return !IsWindow(m_window); }, SetupSession::kTimeout);
    }

private:
    std::thread m_thread;
    HWND m_window = nullptr;
};

// The test's choice in the browse-for-computer dialog; null cancels it.
const wchar_t* g_chosenComputer = nullptr;

BOOL ChooseComputer(HWND, CString& computerName)
{
    if (g_chosenComputer == nullptr)
        return FALSE;
    computerName = g_chosenComputer;
    return TRUE;
}

class ConfigSeams : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        TestRegistry::DeleteSettings();
        m_fake.openSCManager = [this](LPCWSTR machine, LPCWSTR database, DWORD access) -> SC_HANDLE {
            m_machines.push_back(machine != nullptr ? machine : L"");
            if (machine != nullptr && lstrcmpiW(machine, kUnreachable) == 0) {
                SetLastError(RPC_S_SERVER_UNAVAILABLE);
                return nullptr;
            }
            return RealServiceApi().openSCManager(machine, database, access);
        };
    }
    void TearDown() override
    {
        CurrentComputerBrowser() = &BrowseNetworkComputer;
        TestRegistry::DeleteSettings();
    }

    FakeServiceApi m_fake;
    std::vector<std::wstring> m_machines;
};

}

TEST_F(ConfigSeams, ApplyKeepsPairsOfAnUnreachableServerAndOfAFailedLookup)
{
    const std::vector<TestRegistry::ServiceEntry> local = TestRegistry::LocalServices(SERVICE_WIN32, SERVICE_STATE_ALL);
    ASSERT_GE(local.size(), 2u);
    const std::wstring computer = TestRegistry::ComputerName();
    const std::vector<std::wstring> servers = {computer, kUnreachable, computer, computer};
    const std::vector<std::wstring> services = {local[0].key, L"QvOnlyThere", L"QvNoSuchService", local[1].key};
    TestRegistry::SaveLists(servers, services);
    CServicesPage page;
    CPropertySheet sheet(L"Setup", nullptr, 0);
    sheet.AddPage(&page);
    {
        ModalRun run([&sheet] { sheet.DoModal(); }, L"Setup");
        ASSERT_NE(run.Window(), nullptr);
        HWND list = GetDlgItem(reinterpret_cast<HWND>(SendMessageW(run.Window(), PSM_GETCURRENTPAGEHWND, 0, 0)),
                               IDC_SERVICE_LIST);
        EXPECT_EQ(SetupSession::Rows(list),
                  (std::vector<std::pair<std::wstring, std::wstring>>{
                      {computer, local[0].display}, {kUnreachable, L""}, {computer, L""}, {computer, local[1].display}}));
        ASSERT_TRUE(run.End(IDOK));
    }
    EXPECT_NE(std::find(m_machines.begin(), m_machines.end(), kUnreachable), m_machines.end());
    EXPECT_EQ(TestRegistry::ReadStoredList(L"SavedServers").entries, servers);
    EXPECT_EQ(TestRegistry::ReadStoredList(L"SavedServices").entries, services);
}

TEST_F(ConfigSeams, BrowsedComputerRefillsTheListAndAnUnreachableOneEmptiesIt)
{
    CurrentComputerBrowser() = &ChooseComputer;
    const size_t localCount = TestRegistry::LocalServices(SERVICE_WIN32, SERVICE_STATE_ALL).size();
    CAddServicesDlg dialog(nullptr);
    {
        ModalRun run([&dialog] { dialog.DoModal(); }, L"Services");
        HWND window = run.Window();
        ASSERT_NE(window, nullptr);
        HWND list = GetDlgItem(window, IDC_AVAILABLE_LIST);
        UiDriver::PressButton(window, IDC_SELECT_ALL);
        g_chosenComputer = nullptr;
        UiDriver::PressButton(window, IDC_BROWSE_SERVER);
        EXPECT_EQ(UiDriver::WindowText(GetDlgItem(window, IDC_SERVER_EDIT)), TestRegistry::ComputerName());
        EXPECT_EQ(SetupSession::ListSelection(list), std::vector<bool>(localCount, true))
            << "a cancelled browse refilled the list";

        // Wine opens its own manager for any name, so the other computer lists the same services.
        g_chosenComputer = L"ELSEWHERE";
        m_machines.clear();
        UiDriver::PressButton(window, IDC_BROWSE_SERVER);
        EXPECT_EQ(UiDriver::WindowText(GetDlgItem(window, IDC_SERVER_EDIT)), L"ELSEWHERE");
        EXPECT_EQ(m_machines, std::vector<std::wstring>{L"ELSEWHERE"});
        EXPECT_EQ(SetupSession::ListSelection(list), std::vector<bool>(localCount, false));

        g_chosenComputer = kUnreachable;
        UiDriver::PressButton(window, IDC_BROWSE_SERVER);
        EXPECT_EQ(UiDriver::WindowText(GetDlgItem(window, IDC_SERVER_EDIT)), kUnreachable);
        EXPECT_TRUE(SetupSession::ListTexts(list).empty());
        UiDriver::PressButton(window, IDC_SELECT_RUNNING);
        ASSERT_TRUE(run.End(IDOK));
    }
    EXPECT_EQ(CString(dialog.m_strServer), kUnreachable);
    EXPECT_TRUE(dialog.m_arrChosen.IsEmpty());
    EXPECT_TRUE(dialog.m_bChanged);
}
