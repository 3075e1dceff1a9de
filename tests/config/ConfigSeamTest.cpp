// Where Wine cannot go: an unreachable server and the browse-for-computer dialog. The page and the
// dialog run inside this program, with the service seam and the browse seam set by the test.
#include "ConfigDriver.h"
#include "FakeServiceApi.h"
#include "config/CAddServicesDlg.h"
#include "config/CServicesPage.h"
#include "config/ComputerBrowser.h"
#include "framework/CPropertySheet.h"
#include "res/resource.h"
#include "tests/driver/UiDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using namespace ConfigDriver;

namespace {

const wchar_t* const kUnreachable = L"NOWHERE";

// Runs a modal loop on a thread of its own, so the test's thread can drive its windows; whatever
// a failed test leaves open is cancelled before the thread is joined.
class ModalRun {
public:
    template <class Body>
    explicit ModalRun(Body body) : m_thread(body)
    {
    }
    ~ModalRun()
    {
        if (m_window != nullptr && IsWindow(m_window))
            UiDriver::ClickButton(m_window, IDCANCEL);
        m_thread.join();
    }
    ModalRun(const ModalRun&) = delete;
    ModalRun& operator=(const ModalRun&) = delete;

    HWND WaitForWindow(LPCWSTR caption)
    {
        for (DWORD waited = 0; m_window == nullptr && waited < kTimeout; waited += 20) {
            m_window = UiDriver::FindProcessWindow(GetCurrentProcessId(), L"#32770", caption);
            Sleep(20);
        }
        return m_window;
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
        DeleteSettings();
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
        DeleteSettings();
    }

    FakeServiceApi m_fake;
    std::vector<std::wstring> m_machines;
};

}

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
    {
        ModalRun run([&sheet] { sheet.DoModal(); });
        HWND window = run.WaitForWindow(L"Setup");
        ASSERT_NE(window, nullptr);
        HWND pageWindow = ShowPage(window, 0);
        EXPECT_EQ(Rows(pageWindow), (std::vector<Row>{{computer, local[0].display},
                                                      {kUnreachable, L""},
                                                      {computer, L""},
                                                      {computer, local[1].display}}));
        UiDriver::ClickButton(window, IDOK);
        ASSERT_TRUE(WaitUntilGone(window));
    }
    EXPECT_NE(std::find(m_machines.begin(), m_machines.end(), kUnreachable), m_machines.end());
    const StoredList storedServers = ReadStoredList(L"SavedServers");
    const StoredList storedServices = ReadStoredList(L"SavedServices");
    EXPECT_TRUE(storedServers.wellFormed && storedServices.wellFormed);
    EXPECT_EQ(storedServers.entries, servers);
    EXPECT_EQ(storedServices.entries, services);
}

TEST_F(ConfigSeams, BrowsedComputerRefillsTheListAndAnUnreachableOneEmptiesIt)
{
    CurrentComputerBrowser() = &ChooseComputer;
    const size_t localCount = LocalServices(SERVICE_WIN32, SERVICE_STATE_ALL).size();
    CAddServicesDlg dialog(nullptr);
    {
        ModalRun run([&dialog] { dialog.DoModal(); });
        HWND window = run.WaitForWindow(L"Services");
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(ListTexts(window).size(), localCount);
        UiDriver::PressButton(window, IDC_SELECT_ALL);

        g_chosenComputer = nullptr;
        UiDriver::PressButton(window, IDC_BROWSE_SERVER);
        EXPECT_EQ(UiDriver::WindowText(GetDlgItem(window, IDC_SERVER_EDIT)), ComputerName());
        std::vector<bool> selected = ListSelection(window);
        EXPECT_EQ(static_cast<size_t>(std::count(selected.begin(), selected.end(), true)), localCount)
            << "a cancelled browse refilled the list";

        // Wine opens its own manager for any name, so the other computer lists the same services.
        g_chosenComputer = L"ELSEWHERE";
        m_machines.clear();
        UiDriver::PressButton(window, IDC_BROWSE_SERVER);
        EXPECT_EQ(UiDriver::WindowText(GetDlgItem(window, IDC_SERVER_EDIT)), L"ELSEWHERE");
        EXPECT_EQ(m_machines, std::vector<std::wstring>{L"ELSEWHERE"});
        selected = ListSelection(window);
        EXPECT_EQ(selected.size(), localCount);
        EXPECT_EQ(std::count(selected.begin(), selected.end(), true), 0);

        g_chosenComputer = kUnreachable;
        UiDriver::PressButton(window, IDC_BROWSE_SERVER);
        EXPECT_EQ(UiDriver::WindowText(GetDlgItem(window, IDC_SERVER_EDIT)), kUnreachable);
        EXPECT_TRUE(ListTexts(window).empty());
        UiDriver::PressButton(window, IDC_SELECT_RUNNING);
        UiDriver::ClickButton(window, IDOK);
        ASSERT_TRUE(WaitUntilGone(window));
    }
    EXPECT_EQ(CString(dialog.m_strServer), kUnreachable);
    EXPECT_TRUE(dialog.m_arrChosen.IsEmpty());
    EXPECT_TRUE(dialog.m_bChanged);
}
