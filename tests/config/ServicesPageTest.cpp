// The Services page end to end: the built saver's Setup sheet against Wine's registry and services.
#include "SetupSheetFixture.h"

#include "res/resource.h"
#include "tests/driver/UiDriver.h"

#include <algorithm>

using namespace ConfigDriver;

namespace {

const std::wstring kRunning = L"AAA Quorvane Probe";
const std::wstring kStopped = L"AAA Quorvane Probe Two";
const std::wstring kGamma = L"Quorvane Probe Gamma";

void ExpectStored(const std::vector<std::wstring>& servers, const std::vector<std::wstring>& services)
{
    const StoredList storedServers = ReadStoredList(L"SavedServers");
    const StoredList storedServices = ReadStoredList(L"SavedServices");
    EXPECT_TRUE(storedServers.wellFormed);
    EXPECT_TRUE(storedServices.wellFormed);
    EXPECT_EQ(storedServers.entries, servers);
    EXPECT_EQ(storedServices.entries, services);
}

}

class ServicesPage : public SetupSheetFixture {};

TEST_F(ServicesPage, NothingSavedListsActiveLocalServicesAndOkStoresThemAll)
{
    OpenServicesTab();
    const std::wstring computer = ComputerName();
    const std::vector<ServiceEntry> active = LocalServices(SERVICE_WIN32, SERVICE_ACTIVE);
    std::vector<Row> expected;
    std::vector<std::wstring> keys;
    for (const ServiceEntry& service : active) {
        expected.push_back({computer, service.display});
        keys.push_back(service.key);
    }
    const std::vector<Row> rows = Rows(m_page);
    EXPECT_EQ(rows, expected);
    EXPECT_NE(std::find(rows.begin(), rows.end(), Row{computer, kRunning}), rows.end());
    EXPECT_EQ(std::find(rows.begin(), rows.end(), Row{computer, kStopped}), rows.end());
    EXPECT_FALSE(IsItemEnabled(m_page, IDC_REMOVE));

    CloseSheet(IDOK);
    ExpectStored(std::vector<std::wstring>(keys.size(), computer), keys);
}

TEST_F(ServicesPage, SavedPairsShowTheirDisplayNamesAndCancelStoresNothing)
{
    const std::wstring computer = ComputerName();
    SaveLists({computer, L"ELSEWHERE"}, {s_stopped->Name(), s_alsoRunning->Name()});
    OpenServicesTab();
    EXPECT_EQ(Rows(m_page), (std::vector<Row>{{computer, kStopped}, {L"ELSEWHERE", kGamma}}));
    CloseSheet(IDCANCEL);
    ExpectStored({computer, L"ELSEWHERE"}, {s_stopped->Name(), s_alsoRunning->Name()});
}

TEST_F(ServicesPage, AddingSkipsExactDuplicatesAndPutsNewPairsAtTheirDialogIndices)
{
    const std::wstring computer = ComputerName();
    std::wstring lower = computer;
    CharLowerW(&lower[0]);
    ASSERT_NE(lower, computer);
    SaveLists({computer, lower}, {s_stopped->Name(), s_running->Name()});
    OpenServicesTab();
    ASSERT_FALSE(IsItemEnabled(m_sheet, kApplyId));

    HWND dialog = OpenAddDialog();
    ASSERT_NE(dialog, nullptr);
    for (const std::wstring& name : {kRunning, kStopped, kGamma}) {
        const int item = ListIndexOf(dialog, name);
        ASSERT_GE(item, 0);
        SendDlgItemMessageW(dialog, IDC_AVAILABLE_LIST, LB_SETSEL, TRUE, item);
    }
    CloseAddDialog(dialog, IDOK);

    // The pair that differs only in the server's letter case is new; the exact one is not.
    EXPECT_EQ(Rows(m_page),
              (std::vector<Row>{{computer, kRunning}, {computer, kStopped}, {computer, kGamma}, {lower, kRunning}}));
    EXPECT_TRUE(IsItemEnabled(m_sheet, kApplyId));
    CloseSheet(IDOK);
    ExpectStored({computer, computer, computer, lower},
                 {s_running->Name(), s_stopped->Name(), s_alsoRunning->Name(), s_running->Name()});
}

TEST_F(ServicesPage, AddedPairWhoseServiceIsGoneByApplyIsLeftOutOfBothLists)
{
    ProbeService gone(L"QvCfgGone", L"Quorvane Probe Gone");
    ASSERT_TRUE(gone.Installed());
    const std::wstring computer = ComputerName();
    SaveLists({computer}, {s_running->Name()});
    OpenServicesTab();
    HWND dialog = OpenAddDialog();
    ASSERT_NE(dialog, nullptr);
    for (const std::wstring& name : {std::wstring(L"Quorvane Probe Gone"), kGamma}) {
        const int item = ListIndexOf(dialog, name);
        ASSERT_GE(item, 0);
        SendDlgItemMessageW(dialog, IDC_AVAILABLE_LIST, LB_SETSEL, TRUE, item);
    }
    CloseAddDialog(dialog, IDOK);
    ASSERT_EQ(Rows(m_page).size(), 3u);
    // Its key name was never known, so once the server no longer knows it there is nothing to store.
    ASSERT_TRUE(gone.Remove());
    CloseSheet(IDOK);
    ExpectStored({computer, computer}, {s_alsoRunning->Name(), s_running->Name()});
}

TEST_F(ServicesPage, RemovingRowsOneAndThreeOfFiveKeepsTheOthersInOrder)
{
    SaveLists({L"ROW0", L"ROW1", L"ROW2", L"ROW3", L"ROW4"},
              {s_running->Name(), s_stopped->Name(), s_alsoRunning->Name(), s_running->Name(), s_stopped->Name()});
    OpenServicesTab();
    ASSERT_EQ(Rows(m_page).size(), 5u);
    ASSERT_TRUE(SelectRow(m_page, 1, true));
    ASSERT_TRUE(SelectRow(m_page, 3, true));
    UiDriver::PressButton(m_page, IDC_REMOVE);

    EXPECT_EQ(Rows(m_page), (std::vector<Row>{{L"ROW0", kRunning}, {L"ROW2", kGamma}, {L"ROW4", kStopped}}));
    EXPECT_FALSE(IsItemEnabled(m_page, IDC_REMOVE));
    EXPECT_TRUE(IsItemEnabled(m_sheet, kApplyId));
    CloseSheet(IDOK);
    ExpectStored({L"ROW0", L"ROW2", L"ROW4"}, {s_running->Name(), s_alsoRunning->Name(), s_stopped->Name()});
}

TEST_F(ServicesPage, AllThenRemoveEmptiesTheListAndTheStoredLists)
{
    const std::wstring computer = ComputerName();
    SaveLists({computer, computer, computer}, {s_running->Name(), s_stopped->Name(), s_alsoRunning->Name()});
    OpenServicesTab();
    UiDriver::PressButton(m_page, IDC_SELECT_ALL);
    EXPECT_TRUE(IsItemEnabled(m_page, IDC_REMOVE));
    EXPECT_TRUE(IsSelectedRow(m_page, 0) && IsSelectedRow(m_page, 1) && IsSelectedRow(m_page, 2));
    UiDriver::PressButton(m_page, IDC_REMOVE);
    EXPECT_TRUE(Rows(m_page).empty());
    CloseSheet(IDOK);
    ExpectStored({}, {});
}

TEST_F(ServicesPage, RemoveWithNothingSelectedOnlyMarksModifiedAndDisablesItself)
{
    const std::wstring computer = ComputerName();
    SaveLists({computer, computer}, {s_running->Name(), s_stopped->Name()});
    OpenServicesTab();
    // "A&ll" enables the button; a selection cleared without a click leaves it enabled.
    UiDriver::PressButton(m_page, IDC_SELECT_ALL);
    ASSERT_TRUE(SelectRow(m_page, 0, false));
    ASSERT_TRUE(SelectRow(m_page, 1, false));
    ASSERT_TRUE(IsItemEnabled(m_page, IDC_REMOVE));
    ASSERT_FALSE(IsItemEnabled(m_sheet, kApplyId));

    UiDriver::PressButton(m_page, IDC_REMOVE);
    EXPECT_EQ(Rows(m_page).size(), 2u);
    EXPECT_FALSE(IsItemEnabled(m_page, IDC_REMOVE));
    EXPECT_TRUE(IsItemEnabled(m_sheet, kApplyId));
    UiDriver::PressButton(m_page, IDC_SELECT_NONE);
    EXPECT_FALSE(IsSelectedRow(m_page, 0) || IsSelectedRow(m_page, 1));
    CloseSheet(IDCANCEL);
    ExpectStored({computer, computer}, {s_running->Name(), s_stopped->Name()});
}

TEST_F(ServicesPage, UnevenOrBrokenStoredListsOpenAsSoundRowsAndStoreEqualLists)
{
    const std::wstring computer = ComputerName();
    const std::wstring running = s_running->Name();
    const std::wstring stopped = s_stopped->Name();
    struct Case {
        const char* what;
        std::wstring servers;
        std::wstring services;
        std::vector<Row> rows;
        DWORD type = REG_MULTI_SZ;
        bool strayByte = false;
    };
    const std::wstring nul(1, L'\0');
    const std::vector<Case> cases = {
        {"more services than servers", computer + nul + nul, running + nul + stopped + nul + nul,
         {{computer, kRunning}}},
        {"more servers than services", computer + nul + L"ELSEWHERE" + nul + computer + nul + nul,
         stopped + nul + nul, {{computer, kStopped}}},
        {"an empty entry in the middle", computer + nul + computer + nul + nul,
         running + nul + nul + stopped + nul + nul, {{computer, kRunning}}},
        {"two entries and a stray byte", computer + nul + computer + nul, running + nul + stopped + nul,
         {{computer, kRunning}, {computer, kStopped}}, REG_MULTI_SZ, true},
        {"two entries and a stray byte, as binary", computer + nul + computer + nul, running + nul + stopped + nul,
         {{computer, kRunning}, {computer, kStopped}}, REG_BINARY, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteSettings();
        SaveRawList(L"SavedServers", c.servers, c.type, c.strayByte);
        SaveRawList(L"SavedServices", c.services, c.type, c.strayByte);
        OpenServicesTab();
        EXPECT_EQ(Rows(m_page), c.rows);
        CloseSheet(IDOK);
        std::vector<std::wstring> servers, services;
        for (const Row& row : c.rows) {
            servers.push_back(row.server);
            services.push_back(row.service == kRunning ? running : stopped);
        }
        ExpectStored(servers, services);
    }
}

TEST_F(ServicesPage, TwoThousandSavedPairsAllListAndOkStoresThemUnchanged)
{
    const std::wstring computer = ComputerName();
    const ProbeService* const cycle[] = {s_running.get(), s_stopped.get(), s_alsoRunning.get()};
    const std::wstring displays[] = {kRunning, kStopped, kGamma};
    std::vector<std::wstring> servers(2000, computer), services;
    std::vector<Row> expected;
    for (int i = 0; i < 2000; ++i) {
        services.push_back(cycle[i % 3]->Name());
        expected.push_back({computer, displays[i % 3]});
    }
    SaveLists(servers, services);
    OpenServicesTab();
    EXPECT_EQ(Rows(m_page), expected);
    // Each row opens its server's manager to look up its key name: about 9 ms a row under Wine.
    UiDriver::ClickButton(m_sheet, IDOK);
    DWORD code = 99;
    ASSERT_TRUE(m_saver.WaitForExit(120000, &code)) << "the sheet did not close";
    EXPECT_EQ(code, 0u);
    ExpectStored(servers, services);
}
