#pragma once

#include "framework/CObject.h"

#include <windows.h>

// Registers (once per distinct set of arguments) a window class and returns its name.
LPCWSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon);

// A window: wraps an HWND it does not own. Destroying is an explicit call; the handle is
// cleared at WM_NCDESTROY, after which PostNcDestroy runs (where self-deleting windows delete).
class CWnd : public CObject {
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // On failure PostNcDestroy has run, so a self-deleting object is gone: don't touch it.
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int width, int height,
                  HWND parent, HMENU menuOrId);
    BOOL DestroyWindow();

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    void GetClientRect(RECT* rect) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse);
    BOOL KillTimer(UINT_PTR id);

    HWND m_hWnd = nullptr;

    // The procedure of every class this layer registers.
    static LRESULT CALLBACK EntryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // The one dispatch: unpacks the message and calls the On... handler; others get Default().
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The platform's processing of the message being handled.
    LRESULT Default();
    virtual void PostNcDestroy() {}

    virtual int OnCreate(CREATESTRUCTW* create);
    virtual void OnDestroy();
    virtual void OnPaint();
    virtual void OnTimer(UINT_PTR id);
    virtual BOOL OnSetCursor(HWND window, UINT hitTest, UINT message);
    virtual void OnSysCommand(UINT id, LPARAM lParam);
    virtual BOOL OnNcActivate(BOOL active);
    virtual void OnActivate(UINT state, HWND other, BOOL minimized);
    virtual void OnActivateApp(BOOL active, DWORD threadId);
    virtual void OnMouseMove(UINT flags, POINT point);
    virtual void OnButtonDown(UINT message, UINT flags, POINT point);
    virtual void OnKeyDown(UINT message, UINT key, UINT flags);

private:
    bool m_creating = false;
    UINT m_message = 0;
    WPARAM m_wParam = 0;
    LPARAM m_lParam = 0;
};
