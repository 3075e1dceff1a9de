// The Services page and its add dialog end to end: the built saver's Setup sheet against Wine's
// registry and service manager, with three probe services installed for the suite.
#include "ProbeService.h"
#include "res/resource.h"
#include "tests/driver/SetupSession.h"
#include "tests/driver/TestRegistry.h"
#include "tests/driver/UiDriver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

namespace {

using Rows = std::vector<std::pair<std::wstring, std::wstring>>;
using Names = std::vector<std::wstring>;
// One display name is the beginning of another, and one of that pair is stopped.
const std::wstring kRunning = L"AAA Quorvane Probe", kStopped = L"AAA Quorvane Probe Two",
                   kGamma = L"Quorvane Probe Gamma";
const std::wstring kRunningKey = L"QvCfgRunning", kStoppedKey = L"QvCfgStopped", kGammaKey = L"QvCfgGamma";

class ServicesPage : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_probes.emplace_back(new ProbeService(kRunningKey, kRunning));
        s_probes.emplace_back(new ProbeService(kStoppedKey, kStopped));
        s_probes.emplace_back(new ProbeService(kGammaKey, kGamma));
        s_probes[0]->Start();
        s_probes[2]->Start();
    }
    static void TearDownTestSuite() { s_probes.clear(); }
    void SetUp() override
    {
        ASSERT_EQ(s_probes[0]->Status().dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
        ASSERT_EQ(s_probes[2]->Status().dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
        ASSERT_TRUE(s_probes[1]->Installed());
        TestRegistry::DeleteSettings();
    }
    void TearDown() override
    {
        m_setup.Process().Kill();
        TestRegistry::DeleteSettings();
    }

    void OpenServicesTab()
    {
        ASSERT_TRUE(m_setup.Open());
        ASSERT_TRUE(m_setup.ShowTab(L"Services"));
        m_page = m_setup.Page();
    }
    Rows PageRows() const { return SetupSession::Rows(GetDlgItem(m_page, IDC_SERVICE_LIST)); }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(m_page, id)) != FALSE; }
    bool SelectRow(int row, bool select) const
    {
        return UiDriver::SetListViewItemState(GetDlgItem(m_page, IDC_SERVICE_LIST), row, select ? LVIS_SELECTED : 0,
                                              LVIS_SELECTED);
    }
    // Opens the add dialog (posted: the page runs its modal loop before it returns).
    HWND OpenAddDialog() const
    {
        UiDriver::ClickButton(m_page, IDC_ADD);
        return m_setup.WaitForOtherWindow(L"#32770", L"Services");
    }
    static HWND AvailableList(HWND dialog) { return GetDlgItem(dialog, IDC_AVAILABLE_LIST); }
    static int IndexOf(HWND dialog, const std::wstring& text)
    {
        const Names texts = SetupSession::ListTexts(AvailableList(dialog));
        const auto found = std::find(texts.begin(), texts.end(), text);
        return found == texts.end() ? -1 : static_cast<int>(found - texts.begin());
    }
    static bool Choose(HWND dialog, const Names& displays)
    {
        for (const std::wstring& name : displays)
            if (SendMessageW(AvailableList(dialog), LB_SETSEL, TRUE, IndexOf(dialog, name)) == LB_ERR)
                return false;
        return true;
    }
    // Ends the add dialog, once the page is done with what it handed back.
    bool CloseAddDialog(HWND dialog, int button) const
    {
        UiDriver::ClickButton(dialog, button);
        const bool gone = UiDriver::WaitFor([dialog] { return !IsWindow(dialog); }, SetupSession::kTimeout);
        SendMessageTimeoutW(m_page, WM_NULL, 0, 0, SMTO_NORMAL, SetupSession::kTimeout, nullptr);
        return gone;
    }
    static void ExpectStored(const Names& servers, const Names& services)
    {
        for (const auto& [name, entries] : {std::make_pair(L"SavedServers", servers), std::make_pair(L"SavedServices", services)}) {
            const TestRegistry::StoredList stored = TestRegistry::ReadStoredList(name);
            EXPECT_EQ(stored.entries, entries) << name;
            EXPECT_TRUE(stored.wellFormed) << name;
        }
    }

    static std::vector<std::unique_ptr<ProbeService>> s_probes;
    SetupSession m_setup;
    HWND m_page = nullptr;
};

std::vector<std::unique_ptr<ProbeService>> ServicesPage::s_probes;

TEST_F(ServicesPage, NothingSavedListsActiveLocalServicesAndOkStoresThemAll)
{
    OpenServicesTab();
    const std::wstring computer = TestRegistry::ComputerName();
    Rows expected;
    Names keys;
    for (const TestRegistry::ServiceEntry& service : TestRegistry::LocalServices(SERVICE_WIN32, SERVICE_ACTIVE)) {
        expected.emplace_back(computer, service.display);
        keys.push_back(service.key);
    }
    const Rows rows = PageRows();
    EXPECT_EQ(rows, expected);
    EXPECT_NE(std::find(rows.begin(), rows.end(), std::make_pair(computer, kRunning)), rows.end());
    EXPECT_EQ(std::find(rows.begin(), rows.end(), std::make_pair(computer, kStopped)), rows.end());
    EXPECT_FALSE(Enabled(IDC_REMOVE));
    EXPECT_TRUE(m_setup.Close(IDOK));
    ExpectStored(Names(keys.size(), computer), keys);
}

TEST_F(ServicesPage, SavedPairsShowTheirDisplayNamesAndCancelStoresNothing)
{
    const std::wstring computer = TestRegistry::ComputerName();
    TestRegistry::SaveLists({computer, L"ELSEWHERE"}, {kStoppedKey, kGammaKey});
    OpenServicesTab();
    EXPECT_EQ(PageRows(), (Rows{{computer, kStopped}, {L"ELSEWHERE", kGamma}}));
    ASSERT_TRUE(SelectRow(0, true));
    UiDriver::PressButton(m_page, IDC_REMOVE);
    EXPECT_TRUE(m_setup.Close(IDCANCEL));
    ExpectStored({computer, L"ELSEWHERE"}, {kStoppedKey, kGammaKey});
}

TEST_F(ServicesPage, RemovalsKeepTheOtherRowsInOrderAndAnAppliedOneShortensTheCountList)
{
    const struct {
        const char* what;
        std::vector<int> selected; // -1: "All"; -2: "All", then every row unselected without a click
        Names servers;
        Names services;
        size_t countChoices;
    } removals[] = {
        {"rows one and three of five", {1, 3}, {L"ROW0", L"ROW2", L"ROW4"}, {kRunningKey, kGammaKey, kStoppedKey}, 3},
        {"all of them", {-1}, {}, {}, 17},
        {"nothing selected only marks the page modified", {-2}, {L"ROW0", L"ROW1", L"ROW2", L"ROW3", L"ROW4"},
         {kRunningKey, kStoppedKey, kGammaKey, kRunningKey, kStoppedKey}, 5},
    };
    for (const auto& removal : removals) {
        SCOPED_TRACE(removal.what);
        TestRegistry::SaveLists({L"ROW0", L"ROW1", L"ROW2", L"ROW3", L"ROW4"},
                                {kRunningKey, kStoppedKey, kGammaKey, kRunningKey, kStoppedKey});
        OpenServicesTab();
        ASSERT_EQ(PageRows().size(), 5u);
        if (removal.selected[0] < 0)
            UiDriver::PressButton(m_page, IDC_SELECT_ALL);
        for (int row = 0; row < 5 && removal.selected[0] == -2; ++row)
            ASSERT_TRUE(SelectRow(row, false));
        for (int row : removal.selected)
            ASSERT_TRUE(row < 0 || SelectRow(row, true));
        ASSERT_TRUE(Enabled(IDC_REMOVE));
        ASSERT_FALSE(m_setup.ApplyEnabled());
        UiDriver::PressButton(m_page, IDC_REMOVE);
        EXPECT_EQ(PageRows().size(), removal.servers.size());
        EXPECT_FALSE(Enabled(IDC_REMOVE));
        EXPECT_TRUE(m_setup.ApplyEnabled());
        EXPECT_TRUE(m_setup.Apply());
        ASSERT_TRUE(m_setup.ShowTab(L"Display"));
        EXPECT_EQ(SendDlgItemMessageW(m_setup.Page(), IDC_COUNT_COMBO, CB_GETCOUNT, 0, 0), removal.countChoices);
        EXPECT_TRUE(m_setup.Close(IDOK));
        ExpectStored(removal.servers, removal.services);
        TestRegistry::DeleteSettings();
    }
}

TEST_F(ServicesPage, AddingSkipsExactDuplicatesPutsNewPairsAtTheirDialogIndicesAndDropsAVanishedOne)
{
    ProbeService gone(L"QvCfgGone", L"Quorvane Probe Gone");
    ASSERT_TRUE(gone.Installed());
    const std::wstring computer = TestRegistry::ComputerName();
    std::wstring lower = computer;
    CharLowerW(&lower[0]);
    ASSERT_NE(lower, computer);
    TestRegistry::SaveLists({computer, lower}, {kStoppedKey, kRunningKey});
    OpenServicesTab();
    HWND dialog = OpenAddDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(Choose(dialog, {kRunning, kStopped, kGamma, L"Quorvane Probe Gone"}));
    ASSERT_TRUE(CloseAddDialog(dialog, IDOK));
    // The pair that differs only in the server's letter case is new; the exact one is not.
    EXPECT_EQ(PageRows(), (Rows{{computer, kRunning},
                                {computer, kStopped},
                                {computer, kGamma},
                                {computer, L"Quorvane Probe Gone"},
                                {lower, kRunning}}));
    EXPECT_TRUE(m_setup.ApplyEnabled());
    // Its key name was never known, so once the server no longer knows it there is nothing to store.
    ASSERT_TRUE(gone.Remove());
    EXPECT_TRUE(m_setup.Close(IDOK));
    ExpectStored({computer, computer, computer, lower}, {kRunningKey, kStoppedKey, kGammaKey, kRunningKey});
}

TEST_F(ServicesPage, AddDialogListsEveryWin32ServiceSortedSelectsAndCancelHandsBackNothing)
{
    const std::wstring computer = TestRegistry::ComputerName();
    TestRegistry::SaveLists({computer}, {kStoppedKey});
    OpenServicesTab();
    const Rows before = PageRows();
    ASSERT_EQ(before.size(), 1u);
    HWND dialog = OpenAddDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(UiDriver::WindowText(GetDlgItem(dialog, IDC_SERVER_EDIT)), computer);
    const Names texts = SetupSession::ListTexts(AvailableList(dialog));
    std::multiset<std::wstring> expected;
    for (const TestRegistry::ServiceEntry& service : TestRegistry::LocalServices(SERVICE_WIN32, SERVICE_STATE_ALL))
        expected.insert(service.display);
    EXPECT_EQ(std::multiset<std::wstring>(texts.begin(), texts.end()), expected);
    for (const TestRegistry::ServiceEntry& driver : TestRegistry::LocalServices(SERVICE_DRIVER, SERVICE_STATE_ALL))
        EXPECT_EQ(std::find(texts.begin(), texts.end(), driver.display), texts.end()) << "driver listed";
    for (size_t i = 1; i < texts.size(); ++i)
        EXPECT_LE(lstrcmpiW(texts[i - 1].c_str(), texts[i].c_str()), 0) << "not sorted at " << i;
    EXPECT_EQ(SetupSession::ListSelection(AvailableList(dialog)), std::vector<bool>(texts.size(), false));
    UiDriver::PressButton(dialog, IDC_SELECT_ALL);
    EXPECT_EQ(SetupSession::ListSelection(AvailableList(dialog)), std::vector<bool>(texts.size(), true));
    UiDriver::PressButton(dialog, IDC_SELECT_RUNNING);
    const std::vector<bool> running = SetupSession::ListSelection(AvailableList(dialog));
    // Other services of the prefix may run as well; the probes are the ones whose state is known.
    EXPECT_TRUE(running[IndexOf(dialog, kRunning)] && running[IndexOf(dialog, kGamma)]);
    EXPECT_FALSE(running[IndexOf(dialog, kStopped)]);
    ASSERT_TRUE(CloseAddDialog(dialog, IDCANCEL));
    EXPECT_EQ(PageRows(), before);
    EXPECT_FALSE(m_setup.ApplyEnabled()) << "a cancelled add marked the page modified";

    dialog = OpenAddDialog();
    ASSERT_TRUE(dialog != nullptr && CloseAddDialog(dialog, IDOK));
    EXPECT_EQ(PageRows(), before);
    EXPECT_TRUE(m_setup.ApplyEnabled());
}

TEST_F(ServicesPage, UnevenOrBrokenStoredListsOpenAsSoundRowsAndStoreEqualLists)
{
    const std::wstring computer = TestRegistry::ComputerName(), nul(1, L'\0');
    const struct {
        const char* what;
        std::wstring servers;
        std::wstring services;
        Names storedServices;
        DWORD type;
        bool strayByte;
    } cases[] = {
        {"more services than servers", computer + nul + nul, kRunningKey + nul + kStoppedKey + nul + nul,
         {kRunningKey}, REG_MULTI_SZ, false},
        {"more servers than services", computer + nul + L"ELSEWHERE" + nul + computer + nul + nul,
         kStoppedKey + nul + nul, {kStoppedKey}, REG_MULTI_SZ, false},
        {"an empty entry in the middle", computer + nul + computer + nul + nul,
         kRunningKey + nul + nul + kStoppedKey + nul + nul, {kRunningKey}, REG_MULTI_SZ, false},
        {"two entries and a stray byte", computer + nul + computer + nul, kRunningKey + nul + kStoppedKey + nul,
         {kRunningKey, kStoppedKey}, REG_MULTI_SZ, true},
        {"two entries and a stray byte, as binary", computer + nul + computer + nul,
         kRunningKey + nul + kStoppedKey + nul, {kRunningKey, kStoppedKey}, REG_BINARY, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestRegistry::DeleteSettings();
        TestRegistry::SaveRawList(L"SavedServers", c.servers, c.type, c.strayByte);
        TestRegistry::SaveRawList(L"SavedServices", c.services, c.type, c.strayByte);
        OpenServicesTab();
        Rows expected;
        for (const std::wstring& key : c.storedServices)
            expected.emplace_back(computer, key == kRunningKey ? kRunning : kStopped);
        EXPECT_EQ(PageRows(), expected);
        EXPECT_TRUE(m_setup.Close(IDOK));
        ExpectStored(Names(c.storedServices.size(), computer), c.storedServices);
    }
}

}
