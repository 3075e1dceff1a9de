#include "SetupSheetFixture.h"

#include "res/resource.h"
#include "tests/driver/UiDriver.h"

using namespace ConfigDriver;

std::unique_ptr<ProbeService> SetupSheetFixture::s_running;
std::unique_ptr<ProbeService> SetupSheetFixture::s_stopped;
std::unique_ptr<ProbeService> SetupSheetFixture::s_alsoRunning;

void SetupSheetFixture::SetUpTestSuite()
{
    s_running = std::make_unique<ProbeService>(L"QvCfgRunning", L"AAA Quorvane Probe");
    s_stopped = std::make_unique<ProbeService>(L"QvCfgStopped", L"AAA Quorvane Probe Two");
    s_alsoRunning = std::make_unique<ProbeService>(L"QvCfgGamma", L"Quorvane Probe Gamma");
    s_running->Start();
    s_alsoRunning->Start();
}

void SetupSheetFixture::TearDownTestSuite()
{
    s_running.reset();
    s_stopped.reset();
    s_alsoRunning.reset();
}

void SetupSheetFixture::SetUp()
{
    ASSERT_FALSE(UiDriver::PathFromEnvironment("QSS_SCR").empty());
    ASSERT_TRUE(s_running->Installed() && s_stopped->Installed() && s_alsoRunning->Installed());
    ASSERT_EQ(s_running->Status().dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
    ASSERT_EQ(s_alsoRunning->Status().dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
    DeleteSettings();
}

void SetupSheetFixture::TearDown()
{
    m_saver.Kill();
    DeleteSettings();
}

void SetupSheetFixture::OpenServicesTab()
{
    ASSERT_TRUE(m_saver.Start(UiDriver::Quoted(UiDriver::PathFromEnvironment("QSS_SCR")) + L" /c"));
    m_sheet = m_saver.WaitForWindow(L"#32770", L"Setup", kTimeout);
    ASSERT_NE(m_sheet, nullptr);
    m_page = ShowPage(m_sheet, kServicesPage);
    ASSERT_NE(m_page, nullptr);
}

void SetupSheetFixture::CloseSheet(int button)
{
    UiDriver::ClickButton(m_sheet, button);
    DWORD code = 99;
    ASSERT_TRUE(m_saver.WaitForExit(kTimeout, &code)) << "the sheet did not close";
    EXPECT_EQ(code, 0u);
}

HWND SetupSheetFixture::OpenAddDialog()
{
    // Posted: the page's handler runs the dialog's modal loop before it returns.
    UiDriver::ClickButton(m_page, IDC_ADD);
    return m_saver.WaitForWindow(L"#32770", L"Services", kTimeout);
}

void SetupSheetFixture::CloseAddDialog(HWND dialog, int button)
{
    UiDriver::ClickButton(dialog, button);
    ASSERT_TRUE(WaitUntilGone(dialog));
    Sync(m_page);
}
