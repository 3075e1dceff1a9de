#pragma once

#include "framework/CWnd.h"

// A static control whose messages this layer handles (subclassed at creation or by DDX_Control).
class CStatic : public CWnd {
public:
    BOOL Create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);
};
