#include "framework/CString.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

void CString::Format(LPCWSTR format, ...)
{
    // _vsnwprintf answers -1 while the buffer is too small; the msvcrt of Windows 2000 has no
    // _vscwprintf to ask the length first. A text too long for the last buffer formats as empty.
    constexpr size_t kLongest = 1 << 20;
    m_text.clear();
    for (size_t size = 256; size <= kLongest; size *= 2) {
        std::vector<wchar_t> buffer(size);
        va_list args;
        va_start(args, format);
        const int written = _vsnwprintf(buffer.data(), size, format, args);
        va_end(args);
        if (written >= 0 && static_cast<size_t>(written) < size) {
            m_text.assign(buffer.data(), static_cast<size_t>(written));
            return;
        }
    }
}

BOOL CString::LoadString(UINT id)
{
    // A zero buffer size makes LoadStringW hand back a read-only pointer into the resource.
    LPCWSTR resource = nullptr;
    const int length = ::LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&resource), 0);
    if (length <= 0 || resource == nullptr) {
        m_text.clear();
        return FALSE;
    }
    m_text.assign(resource, static_cast<size_t>(length));
    return TRUE;
}

void CString::MakeLower()
{
    if (!m_text.empty())
        CharLowerBuffW(&m_text[0], static_cast<DWORD>(m_text.size()));
}

CString CString::Mid(int first) const
{
    if (first >= GetLength())
        return CString();
    return CString(m_text.c_str() + (first < 0 ? 0 : first));
}

CString CString::Left(int count) const
{
    if (count <= 0)
        return CString();
    return CString(m_text.c_str(), count < GetLength() ? count : GetLength());
}

int CString::CompareNoCase(LPCWSTR other) const
{
    return lstrcmpiW(m_text.c_str(), other ? other : L"");
}

CString& CString::operator+=(LPCWSTR text)
{
    if (text)
        m_text += text;
    return *this;
}

CString& CString::operator+=(wchar_t c)
{
    m_text += c;
    return *this;
}

CString operator+(const CString& a, LPCWSTR b)
{
    CString result(a);
    result += b;
    return result;
}
