#include "framework/CListCtrl.h"

#include <string>

DWORD CListCtrl::GetExtendedStyle() const
{
    return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE));
}

DWORD CListCtrl::SetExtendedStyle(DWORD style)
{
    return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style));
}

int CListCtrl::InsertColumn(int column, LPCWSTR heading, int format, int width)
{
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    col.fmt = format;
    col.cx = width;
    col.pszText = const_cast<LPWSTR>(heading);
    col.iSubItem = column;
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&col)));
}

int CListCtrl::GetItemCount() const
{
    return static_cast<int>(SendMessage(LVM_GETITEMCOUNT));
}

int CListCtrl::InsertItem(int item, LPCWSTR text)
{
    LVITEMW row = {};
    row.mask = LVIF_TEXT;
    row.iItem = item;
    row.pszText = const_cast<LPWSTR>(text);
    return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
}

int CListCtrl::InsertItem(int item, LPCWSTR text, LPARAM data)
{
    LVITEMW row = {};
    row.mask = LVIF_TEXT | LVIF_PARAM;
    row.iItem = item;
    row.pszText = const_cast<LPWSTR>(text);
    row.lParam = data;
    return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
}

DWORD_PTR CListCtrl::GetItemData(int item) const
{
    LVITEMW row = {};
    row.mask = LVIF_PARAM;
    row.iItem = item;
    return SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&row)) ? static_cast<DWORD_PTR>(row.lParam) : 0;
}

BOOL CListCtrl::SetItemData(int item, DWORD_PTR data)
{
    LVITEMW row = {};
    row.mask = LVIF_PARAM;
    row.iItem = item;
    row.lParam = static_cast<LPARAM>(data);
    return static_cast<BOOL>(SendMessage(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&row)));
}

BOOL CListCtrl::SetItemText(int item, int subItem, LPCWSTR text)
{
    LVITEMW cell = {};
    cell.iSubItem = subItem;
    cell.pszText = const_cast<LPWSTR>(text);
    return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&cell)));
}

CString CListCtrl::GetItemText(int item, int subItem) const
{
    // The control copies at most the buffer; grow until the text fits with room to spare.
    for (int size = 256;; size *= 2) {
        std::wstring buffer(static_cast<size_t>(size), L'\0');
        LVITEMW cell = {};
        cell.iSubItem = subItem;
        cell.pszText = &buffer[0];
        cell.cchTextMax = size;
        const int length = static_cast<int>(SendMessage(LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&cell)));
        if (length < size - 1 || size >= 0x10000)
            return CString(buffer.c_str(), length < size ? length : size - 1);
    }
}

BOOL CListCtrl::DeleteItem(int item)
{
    return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, item));
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask)
{
    LVITEMW row = {};
    row.state = state;
    row.stateMask = mask;
    return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&row)));
}

UINT CListCtrl::GetItemState(int item, UINT mask) const
{
    return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, item, mask));
}

int CListCtrl::GetNextItem(int start, int flags) const
{
    return static_cast<int>(SendMessage(LVM_GETNEXTITEM, start, MAKELPARAM(flags, 0)));
}
