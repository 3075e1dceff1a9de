#include "ConfigDriver.h"

#include "res/resource.h"
#include "tests/driver/UiDriver.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cstring>

namespace ConfigDriver {

HWND ShowPage(HWND sheet, int index)
{
    SendMessageW(sheet, PSM_SETCURSEL, index, 0);
    return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

std::vector<Row> Rows(HWND page)
{
    HWND list = GetDlgItem(page, IDC_SERVICE_LIST);
    std::vector<Row> rows;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        rows.push_back({UiDriver::ListViewText(list, i, 0), UiDriver::ListViewText(list, i, 1)});
    return rows;
}

bool IsSelectedRow(HWND page, int row)
{
    return SendDlgItemMessageW(page, IDC_SERVICE_LIST, LVM_GETITEMSTATE, row, LVIS_SELECTED) != 0;
}

bool SelectRow(HWND page, int row, bool select)
{
    return UiDriver::SetListViewItemState(GetDlgItem(page, IDC_SERVICE_LIST), row, select ? LVIS_SELECTED : 0,
                                          LVIS_SELECTED);
}

bool IsItemEnabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

void Sync(HWND window)
{
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kTimeout, nullptr);
}

bool WaitUntilGone(HWND window)
{
    for (DWORD waited = 0; IsWindow(window); waited += 20) {
        if (waited > kTimeout)
            return false;
        Sleep(20);
    }
    return true;
}

std::vector<std::wstring> ListTexts(HWND dialog)
{
    std::vector<std::wstring> texts;
    const int count = static_cast<int>(SendDlgItemMessageW(dialog, IDC_AVAILABLE_LIST, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[1024] = {};
        // The platform carries a list box's text across processes itself.
        SendDlgItemMessageW(dialog, IDC_AVAILABLE_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
    }
    return texts;
}

std::vector<bool> ListSelection(HWND dialog)
{
    std::vector<bool> selected;
    const int count = static_cast<int>(SendDlgItemMessageW(dialog, IDC_AVAILABLE_LIST, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        selected.push_back(SendDlgItemMessageW(dialog, IDC_AVAILABLE_LIST, LB_GETSEL, i, 0) > 0);
    return selected;
}

int ListIndexOf(HWND dialog, const std::wstring& text)
{
    const std::vector<std::wstring> texts = ListTexts(dialog);
    for (size_t i = 0; i < texts.size(); ++i)
        if (texts[i] == text)
            return static_cast<int>(i);
    return -1;
}

}
