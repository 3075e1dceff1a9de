#pragma once

#include <windows.h>

#include <string>

// A UTF-16 string with the few operations the program uses.
class CString {
public:
    CString() = default;
    CString(LPCWSTR text) : m_text(text ? text : L"") {}
    CString(LPCWSTR text, int length) : m_text(text, static_cast<size_t>(length)) {}

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    operator LPCWSTR() const { return m_text.c_str(); }
    wchar_t operator[](int index) const { return m_text[static_cast<size_t>(index)]; }

    // printf-style, with the Microsoft runtime's meaning of %s in wide text (a wide string).
    void Format(LPCWSTR format, ...);
    BOOL LoadString(UINT id);
    void MakeLower();
    CString Mid(int first) const;
    CString Left(int count) const;
    int CompareNoCase(LPCWSTR other) const;

    CString& operator+=(LPCWSTR text);
    CString& operator+=(wchar_t c);
    friend CString operator+(const CString& a, LPCWSTR b);
    friend bool operator==(const CString& a, LPCWSTR b) { return a.m_text == (b ? b : L""); }
    friend bool operator!=(const CString& a, LPCWSTR b) { return !(a == b); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator!=(const CString& a, const CString& b) { return a.m_text != b.m_text; }

private:
    std::wstring m_text;
};
