#pragma once

#include "ConfigDriver.h"
#include "ProbeService.h"
#include "tests/driver/TestProcess.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// The built saver's Setup sheet under test, with three probe services installed for the suite:
// one display name is the beginning of another, and one of that pair is stopped.
class SetupSheetFixture : public ::testing::Test {
protected:
    static const int kServicesPage = 1;

    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Starts the configuration mode and opens its Services tab.
    void OpenServicesTab();
    // Ends the sheet with OK or Cancel and checks that the program ends cleanly.
    void CloseSheet(int button);
    // Opens the add-services dialog from the page.
    HWND OpenAddDialog();
    // Ends the add-services dialog with OK or Cancel, once the page is done with its results.
    void CloseAddDialog(HWND dialog, int button);

    static std::unique_ptr<ProbeService> s_running;     // "AAA Quorvane Probe", running
    static std::unique_ptr<ProbeService> s_stopped;     // "AAA Quorvane Probe Two", stopped
    static std::unique_ptr<ProbeService> s_alsoRunning; // "Quorvane Probe Gamma", running

    TestProcess m_saver;
    HWND m_sheet = nullptr;
    HWND m_page = nullptr;
};
