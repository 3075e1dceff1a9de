#pragma once

#include "framework/CString.h"
#include "framework/CWnd.h"

#include <commctrl.h>

// A borrowed list-view control (Attach): report rows of texts.
class CListCtrl : public CWnd {
public:
    DWORD GetExtendedStyle() const;
    DWORD SetExtendedStyle(DWORD style);
    int InsertColumn(int column, LPCWSTR heading, int format, int width);
    int GetItemCount() const;
    // The new row's index, or -1.
    int InsertItem(int item, LPCWSTR text);
    // The same, with a value of the caller's kept with the row wherever it moves.
    int InsertItem(int item, LPCWSTR text, LPARAM data);
    DWORD_PTR GetItemData(int item) const;
    BOOL SetItemData(int item, DWORD_PTR data);
    BOOL SetItemText(int item, int subItem, LPCWSTR text);
    CString GetItemText(int item, int subItem) const;
    BOOL DeleteItem(int item);
    BOOL SetItemState(int item, UINT state, UINT mask);
    UINT GetItemState(int item, UINT mask) const;
    // The next row after start (-1: from the top) with the LVNI_ flags, or -1.
    int GetNextItem(int start, int flags) const;
};
