#include "framework/CDataExchange.h"

#include "framework/CWnd.h"

void DDX_Control(CDataExchange* exchange, int id, CWnd& control)
{
    if (control.GetSafeHwnd() == nullptr)
        control.SubclassDlgItem(id, exchange->m_pDlgWnd);
}
