#pragma once

#include <windows.h>

// Device-context owners: a memory DC (deleted), a window DC (released), a paint DC (ended).
class CDC {
public:
    CDC() = default;
    ~CDC() { DeleteDC(); }
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    BOOL CreateCompatibleDC(HDC reference)
    {
        DeleteDC();
        m_hDC = ::CreateCompatibleDC(reference);
        return m_hDC != nullptr;
    }
    void DeleteDC()
    {
        if (m_hDC != nullptr) {
            ::DeleteDC(m_hDC);
            m_hDC = nullptr;
        }
    }
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

private:
    HDC m_hDC = nullptr;
};

class CClientDC {
public:
    explicit CClientDC(HWND window) : m_window(window), m_hDC(GetDC(window)) {}
    ~CClientDC()
    {
        if (m_hDC != nullptr)
            ReleaseDC(m_window, m_hDC);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    operator HDC() const { return m_hDC; }

private:
    HWND m_window;
    HDC m_hDC;
};

class CPaintDC {
public:
    explicit CPaintDC(HWND window) : m_window(window) { m_hDC = BeginPaint(window, &m_ps); }
    ~CPaintDC() { EndPaint(m_window, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    operator HDC() const { return m_hDC; }

private:
    HWND m_window;
    PAINTSTRUCT m_ps = {};
    HDC m_hDC;
};

// Selects an object into a DC for one scope, so nothing stays selected on an early return.
class CSelectObject {
public:
    CSelectObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(SelectObject(dc, object)) {}
    ~CSelectObject()
    {
        if (m_old != nullptr)
            SelectObject(m_dc, m_old);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};
