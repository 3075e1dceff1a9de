#include "framework/CStatic.h"

#include "framework/CWinApp.h"

BOOL CStatic::Create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    HWND window = CreateWindowExW(0, L"STATIC", text, style, rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, parent != nullptr ? parent->GetSafeHwnd() : nullptr,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), AfxGetInstanceHandle(), nullptr);
    if (window == nullptr)
        return FALSE;
    if (!SubclassWindow(window)) {
        ::DestroyWindow(window);
        return FALSE;
    }
    return TRUE;
}
