// The Services page and its add dialog in the Setup sheet, run in this program against Wine's registry and
// service manager, with three probe services installed for the suite. Where Wine cannot go (an unreachable
// server, the browse-for-computer dialog) the service seam and the browse seam stand in.
#include "FakeServiceApi.h"
#include "LocalMachine.h"
#include "ProbeService.h"
#include "config/ComputerBrowser.h"
#include "res/resource.h"
#include "tests/driver/SetupSession.h"
#include "tests/driver/TestRegistry.h"
#include "tests/driver/UiDriver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <set>

namespace {

using namespace TestRegistry;
using Rows = std::vector<std::pair<std::wstring, std::wstring>>;
using Names = std::vector<std::wstring>;
// One display name is the beginning of another, and one of that pair is stopped.
const std::wstring kRunning = L"AAA Quorvane Probe", kStopped = L"AAA Quorvane Probe Two",
                   kGamma = L"Quorvane Probe Gamma";
const std::wstring kRunningKey = L"QvCfgRunning", kStoppedKey = L"QvCfgStopped", kGammaKey = L"QvCfgGamma";
const Names kFiveServers = {L"ROW0", L"ROW1", L"ROW2", L"ROW3", L"ROW4"};
const Names kFiveKeys = {kRunningKey, kStoppedKey, kGammaKey, kRunningKey, kStoppedKey};

class ServicesPage : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_probes.emplace_back(kRunningKey, kRunning).Start();
        s_probes.emplace_back(kStoppedKey, kStopped);
        s_probes.emplace_back(kGammaKey, kGamma).Start();
    }
    static void TearDownTestSuite() { s_probes.clear(); }
    void SetUp() override
    {
        ASSERT_TRUE(s_probes[1].Installed() && s_probes[0].WaitForState(SERVICE_RUNNING) &&
                    s_probes[2].WaitForState(SERVICE_RUNNING));
        DeleteSettings();
    }
    void TearDown() override
    {
        CurrentComputerBrowser() = &BrowseNetworkComputer;
        DeleteSettings();
    }
    bool OpenServicesTab() { return m_setup.Open() && (m_page = m_setup.ShowPage(IDD_SERVICES_PAGE)) != nullptr; }
    Rows PageRows() const { return SetupSession::Rows(GetDlgItem(m_page, IDC_SERVICE_LIST)); }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(m_page, id)) != FALSE; }
    // Each list exactly as it should be stored.
    static void ExpectStored(const Names& servers, const Names& services)
    {
        for (const auto& [name, entries] : {std::pair{L"SavedServers", servers}, {L"SavedServices", services}})
            EXPECT_EQ(std::pair(Get(name).type, Get(name).bytes), std::pair(DWORD{REG_MULTI_SZ}, ListBytes(entries)));
    }

    static std::deque<ProbeService> s_probes;
    // Unscripted, it passes every call to the platform; it outlives the sheet that calls through it.
    FakeServiceApi m_fake;
    SetupSession m_setup;
    HWND m_page = nullptr;
};

std::deque<ProbeService> ServicesPage::s_probes;

TEST_F(ServicesPage, NothingSavedListsActiveServicesAddListsEveryOneSortedAndOkStoresTheActiveOnes)
{
    ASSERT_TRUE(OpenServicesTab());
    const std::wstring computer = LocalMachine::Name();
    Rows expected;
    Names keys;
    for (const LocalMachine::Service& service : LocalMachine::Services(SERVICE_WIN32, SERVICE_ACTIVE)) {
        expected.emplace_back(computer, service.display);
        keys.push_back(service.key);
    }
    EXPECT_EQ(PageRows(), expected);
    EXPECT_FALSE(Enabled(IDC_REMOVE));
    HWND dialog = m_setup.OpenDialog(IDC_ADD, L"Services");
    ASSERT_NE(dialog, nullptr);
    HWND list = GetDlgItem(dialog, IDC_AVAILABLE_LIST);
    EXPECT_EQ(UiDriver::WindowText(GetDlgItem(dialog, IDC_SERVER_EDIT)), computer);
    std::multiset<std::pair<std::wstring, bool>> all;
    for (const LocalMachine::Service& service : LocalMachine::Services(SERVICE_WIN32, SERVICE_STATE_ALL))
        all.emplace(service.display, false);
    auto items = SetupSession::ListItems(list);
    EXPECT_EQ((std::multiset<std::pair<std::wstring, bool>>(items.begin(), items.end())), all);
    for (size_t i = 1; i < items.size(); ++i)
        EXPECT_LE(lstrcmpiW(items[i - 1].first.c_str(), items[i].first.c_str()), 0) << "not sorted at " << i;
    UiDriver::SendButtonClick(dialog, IDC_SELECT_ALL);
    items = SetupSession::ListItems(list);
    EXPECT_TRUE(std::all_of(items.begin(), items.end(), [](const auto& item) { return item.second; }));
    UiDriver::SendButtonClick(dialog, IDC_SELECT_RUNNING);
    // Other services of the prefix may run as well; the probes are the ones whose state is known.
    items = SetupSession::ListItems(list);
    const std::set<std::pair<std::wstring, bool>> shown(items.begin(), items.end());
    for (const auto& probe : {std::make_pair(kRunning, true), {kStopped, false}, {kGamma, true}})
        EXPECT_EQ(shown.count(probe), 1u) << probe.first.c_str();
    ASSERT_TRUE(m_setup.EndDialog(dialog, IDCANCEL));
    EXPECT_EQ(PageRows(), expected);
    EXPECT_FALSE(m_setup.ApplyEnabled()) << "a cancelled add marked the page modified";
    ASSERT_TRUE(m_setup.EndDialog(m_setup.OpenDialog(IDC_ADD, L"Services"), IDOK));
    EXPECT_EQ(PageRows(), expected);
    EXPECT_TRUE(m_setup.ApplyEnabled());
    EXPECT_TRUE(m_setup.Close(IDOK));
    ExpectStored(Names(keys.size(), computer), keys);
}

TEST_F(ServicesPage, RemovalsKeepTheOtherRowsInOrderAndAnAppliedOneShortensTheCountList)
{
    const struct {
        const char* what;
        std::vector<int> selected; // -1: "All"; -2: "All", then every row unselected without a click
        std::vector<int> kept;
        int button;
        LRESULT countChoices;
    } removals[] = {
        // clang-format off
        {"rows one and three of five", {1, 3}, {0, 2, 4}, IDOK, 3},
        {"all of them", {-1}, {}, IDOK, 17},
        {"nothing selected only marks the page modified", {-2}, {0, 1, 2, 3, 4}, IDOK, 5},
        {"a removal cancelled stores nothing", {0}, {1, 2, 3, 4}, IDCANCEL, 0},
        // clang-format on
    };
    const std::wstring displays[5] = {kRunning, kStopped, kGamma, kRunning, kStopped};
    for (const auto& removal : removals) {
        SCOPED_TRACE(removal.what);
        SaveLists(kFiveServers, kFiveKeys);
        ASSERT_TRUE(OpenServicesTab());
        if (removal.selected[0] < 0)
            UiDriver::SendButtonClick(m_page, IDC_SELECT_ALL);
        HWND list = GetDlgItem(m_page, IDC_SERVICE_LIST);
        for (int row = 0; row < 5 && removal.selected[0] == -2; ++row)
            ListView_SetItemState(list, row, 0, LVIS_SELECTED);
        for (int row : removal.selected)
            if (row >= 0)
                ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
        ASSERT_FALSE(m_setup.ApplyEnabled());
        UiDriver::SendButtonClick(m_page, IDC_REMOVE);
        Rows rows;
        Names servers, keys;
        for (int row : removal.kept) {
            rows.emplace_back(kFiveServers[row], displays[row]);
            servers.push_back(kFiveServers[row]);
            keys.push_back(kFiveKeys[row]);
        }
        EXPECT_EQ(PageRows(), rows);
        EXPECT_FALSE(Enabled(IDC_REMOVE));
        EXPECT_TRUE(m_setup.ApplyEnabled());
        if (removal.button == IDOK) {
            EXPECT_TRUE(m_setup.Apply());
            EXPECT_EQ(SendMessageW(GetDlgItem(m_setup.ShowPage(IDD_DISPLAY_PAGE), IDC_COUNT_COMBO), CB_GETCOUNT, 0, 0),
                      removal.countChoices);
        }
        EXPECT_TRUE(m_setup.Close(removal.button));
        removal.button == IDOK ? ExpectStored(servers, keys) : ExpectStored(kFiveServers, kFiveKeys);
        DeleteSettings();
    }
}

const wchar_t* const kUnreachable = L"NOWHERE";
// The test's choice in the browse-for-computer dialog; null cancels it.
const wchar_t* g_chosenComputer = nullptr;

TEST_F(ServicesPage, PairsOfAnUnreachableServerStayAndAddingFromABrowsedComputerSkipsExactDuplicatesOnly)
{
    m_fake.unreachable = kUnreachable;
    CurrentComputerBrowser() = [](HWND, CString& name) -> BOOL {
        if (g_chosenComputer != nullptr)
            name = g_chosenComputer;
        return g_chosenComputer != nullptr;
    };
    ProbeService& gone = s_probes.emplace_back(L"QvCfgGone", L"Quorvane Probe Gone");
    ASSERT_TRUE(gone.Installed());
    const std::wstring computer = LocalMachine::Name(), other = L"ELSEWHERE";
    // A failed lookup keeps its key name as well as a pair of the server that cannot be reached; the last server
    // has no service to pair with.
    SaveLists({other, L"elsewhere", kUnreachable, computer, L"UNPAIRED"},
              {kStoppedKey, kRunningKey, L"QvOnlyThere", L"QvNoSuch"});
    ASSERT_TRUE(OpenServicesTab());
    EXPECT_EQ(PageRows(), (Rows{{other, kStopped}, {L"elsewhere", kRunning}, {kUnreachable, L""}, {computer, L""}}));
    EXPECT_NE(std::find(m_fake.machines.begin(), m_fake.machines.end(), kUnreachable), m_fake.machines.end());
    HWND dialog = m_setup.OpenDialog(IDC_ADD, L"Services");
    ASSERT_NE(dialog, nullptr);
    const auto browse = [&](const wchar_t* chosen) {
        g_chosenComputer = chosen;
        m_fake.machines.clear();
        UiDriver::SendButtonClick(dialog, IDC_BROWSE_SERVER);
        return UiDriver::WindowText(GetDlgItem(dialog, IDC_SERVER_EDIT));
    };
    HWND list = GetDlgItem(dialog, IDC_AVAILABLE_LIST);
    UiDriver::SendButtonClick(dialog, IDC_SELECT_ALL);
    const auto all = SetupSession::ListItems(list);
    EXPECT_EQ(browse(nullptr), computer);
    EXPECT_EQ(SetupSession::ListItems(list), all) << "a cancelled browse refilled the list";
    EXPECT_EQ(browse(kUnreachable), kUnreachable);
    EXPECT_TRUE(SetupSession::ListItems(list).empty());
    // Wine opens its own manager for any name, so the other computer lists the same services.
    EXPECT_EQ(browse(other.c_str()), other);
    EXPECT_EQ(m_fake.machines, Names{other});
    const auto refilled = SetupSession::ListItems(list);
    EXPECT_EQ(refilled.size(), all.size());
    EXPECT_TRUE(std::none_of(refilled.begin(), refilled.end(), [](const auto& item) { return item.second; }));
    for (size_t i = 0; i < refilled.size(); ++i)
        if (std::set<std::wstring>{kRunning, kStopped, kGamma, L"Quorvane Probe Gone"}.count(refilled[i].first))
            SendMessageW(list, LB_SETSEL, TRUE, static_cast<LPARAM>(i));
    ASSERT_TRUE(m_setup.EndDialog(dialog, IDOK));
    // New pairs go in at their indices among the chosen; the pair that differs only in the server's letter case
    // is new, the exact one is not.
    EXPECT_EQ(PageRows(), (Rows{{other, kRunning},
                                {other, kStopped},
                                {other, kGamma},
                                {other, L"Quorvane Probe Gone"},
                                {L"elsewhere", kRunning},
                                {kUnreachable, L""},
                                {computer, L""}}));
    // Its key name was never known, so once the server no longer knows it there is nothing to store.
    ASSERT_TRUE(gone.Remove());
    EXPECT_TRUE(m_setup.Close(IDOK));
    ExpectStored({other, other, other, L"elsewhere", kUnreachable, computer},
                 {kRunningKey, kStoppedKey, kGammaKey, kRunningKey, L"QvOnlyThere", L"QvNoSuch"});
}

} // namespace
