#pragma once

#include "tests/driver/TestRegistry.h"

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

// What the Setup sheet tests share: the stored lists, the services as the test itself reads them,
// and the sheet and its pages driven through their windows (in this process or the saver's).
namespace ConfigDriver {

const DWORD kTimeout = 20000;
// The sheet's Apply button.
const int kApplyId = 0x3021;

struct Row {
    std::wstring server;
    std::wstring service;
    bool operator==(const Row& other) const { return server == other.server && service == other.service; }
};

// Rows read in failure messages; the test texts are plain ASCII.
inline void PrintTo(const Row& row, std::ostream* out)
{
    *out << '(' << std::string(row.server.begin(), row.server.end()) << ", "
         << std::string(row.service.begin(), row.service.end()) << ')';
}

// The registry and service helpers, under the names these tests know them by.
using namespace TestRegistry;

// Selects the sheet's tab and returns that page's window.
HWND ShowPage(HWND sheet, int index);
std::vector<Row> Rows(HWND page);
bool IsSelectedRow(HWND page, int row);
bool SelectRow(HWND page, int row, bool select);
bool IsItemEnabled(HWND dialog, int id);
// Returns once the window's thread is back in its message loop, past what it was doing.
void Sync(HWND window);
bool WaitUntilGone(HWND window);

// The add-services dialog's list.
std::vector<std::wstring> ListTexts(HWND dialog);
std::vector<bool> ListSelection(HWND dialog);
int ListIndexOf(HWND dialog, const std::wstring& text);

}
