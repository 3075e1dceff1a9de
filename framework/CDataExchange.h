#pragma once

#include <windows.h>

class CWnd;

// One transfer between a dialog and its members; the program only binds controls.
class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// Binds control object to the dialog's control id: the object subclasses it the first time.
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);
