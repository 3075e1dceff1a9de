#include "framework/CListBox.h"

#include <string>

CString CListBox::GetText(int index) const
{
    const int length = static_cast<int>(SendMessage(LB_GETTEXTLEN, index));
    if (length <= 0)
        return CString();
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    const int copied = static_cast<int>(SendMessage(LB_GETTEXT, index, reinterpret_cast<LPARAM>(&buffer[0])));
    return CString(buffer.c_str(), copied > 0 ? copied : 0);
}
