#pragma once

#include "framework/CString.h"
#include "framework/CWnd.h"

// A borrowed list-box control (Attach).
class CListBox : public CWnd {
public:
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    int AddString(LPCWSTR text) { return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    int GetSel(int index) const { return static_cast<int>(SendMessage(LB_GETSEL, index)); }
    int SetSel(int index, BOOL select = TRUE) { return static_cast<int>(SendMessage(LB_SETSEL, select, index)); }
    // Selects first..last, or clears last..first when first is the greater.
    int SelItemRangeEx(int first, int last) { return static_cast<int>(SendMessage(LB_SELITEMRANGEEX, first, last)); }
    // Whole-text match, case-insensitive, searching after start (-1: the whole list); LB_ERR if none.
    int FindStringExact(int start, LPCWSTR text) const
    {
        return static_cast<int>(SendMessage(LB_FINDSTRINGEXACT, start, reinterpret_cast<LPARAM>(text)));
    }
    CString GetText(int index) const;
};
