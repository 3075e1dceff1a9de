// The add-services dialog end to end, opened from the Services page of the built saver.
#include "SetupSheetFixture.h"

#include "res/resource.h"
#include "tests/driver/UiDriver.h"

#include <algorithm>
#include <set>

using namespace ConfigDriver;

class AddServicesDialog : public SetupSheetFixture {
protected:
    // The page starts from one saved pair, so its rows are known.
    void OpenWithOnePair()
    {
        SaveLists({ComputerName()}, {s_stopped->Name()});
        OpenServicesTab();
        ASSERT_EQ(Rows(m_page).size(), 1u);
    }
};

TEST_F(AddServicesDialog, ListsEveryWin32ServiceSortedAndRunningPicksExactlyTheRunningOnes)
{
    OpenWithOnePair();
    HWND dialog = OpenAddDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(UiDriver::WindowText(GetDlgItem(dialog, IDC_SERVER_EDIT)), ComputerName());

    const std::vector<std::wstring> texts = ListTexts(dialog);
    std::multiset<std::wstring> expected;
    for (const ServiceEntry& service : LocalServices(SERVICE_WIN32, SERVICE_STATE_ALL))
        expected.insert(service.display);
    EXPECT_EQ(std::multiset<std::wstring>(texts.begin(), texts.end()), expected);
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"AAA Quorvane Probe Two"), texts.end());
    for (const ServiceEntry& driver : LocalServices(SERVICE_DRIVER, SERVICE_STATE_ALL))
        EXPECT_EQ(std::find(texts.begin(), texts.end(), driver.display), texts.end()) << "driver listed";
    for (size_t i = 1; i < texts.size(); ++i)
        EXPECT_LE(lstrcmpiW(texts[i - 1].c_str(), texts[i].c_str()), 0) << "not sorted at " << i;
    const std::vector<bool> none = ListSelection(dialog);
    EXPECT_EQ(std::count(none.begin(), none.end(), true), 0);

    UiDriver::PressButton(dialog, IDC_SELECT_ALL);
    const std::vector<bool> all = ListSelection(dialog);
    EXPECT_EQ(std::count(all.begin(), all.end(), true), static_cast<long>(texts.size()));
    UiDriver::PressButton(dialog, IDC_SELECT_RUNNING);
    const std::vector<bool> running = ListSelection(dialog);
    // Other services of the prefix may run as well; the probes are the ones whose state is known.
    EXPECT_TRUE(running[ListIndexOf(dialog, L"AAA Quorvane Probe")]);
    EXPECT_FALSE(running[ListIndexOf(dialog, L"AAA Quorvane Probe Two")]);
    EXPECT_TRUE(running[ListIndexOf(dialog, L"Quorvane Probe Gamma")]);

    CloseAddDialog(dialog, IDCANCEL);
    CloseSheet(IDCANCEL);
}

TEST_F(AddServicesDialog, CancelHandsBackNothingAndEmptyOkOnlyMarksThePageModified)
{
    OpenWithOnePair();
    const std::vector<Row> before = Rows(m_page);

    HWND dialog = OpenAddDialog();
    ASSERT_NE(dialog, nullptr);
    UiDriver::PressButton(dialog, IDC_SELECT_ALL);
    CloseAddDialog(dialog, IDCANCEL);
    EXPECT_EQ(Rows(m_page), before);
    EXPECT_FALSE(IsItemEnabled(m_sheet, kApplyId));

    dialog = OpenAddDialog();
    ASSERT_NE(dialog, nullptr);
    CloseAddDialog(dialog, IDOK);
    EXPECT_EQ(Rows(m_page), before);
    EXPECT_TRUE(IsItemEnabled(m_sheet, kApplyId));
    CloseSheet(IDCANCEL);
}
