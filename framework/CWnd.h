#pragma once

#include "framework/CObject.h"
#include "framework/CString.h"

#include <windows.h>

// Registers (once per distinct set of arguments) a window class and returns its name, valid for the
// life of the process; null when the class cannot be registered.
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
    // Takes over an existing window (a dialog's control, a platform-made window): its messages
    // reach this object's handlers first, and Default() hands them to the original procedure.
    BOOL SubclassWindow(HWND window);
    BOOL SubclassDlgItem(int id, CWnd* parent);
    // Borrows a handle without hooking it, for the thin control wrappers.
    void Attach(HWND window) { m_hWnd = window; }
    HWND Detach();
    // The object this layer keeps for window, or null when the window is not one of ours.
    static CWnd* FromHandlePermanent(HWND window);

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    void GetClientRect(RECT* rect) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse);
    BOOL KillTimer(UINT_PTR id);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void SetDlgItemText(int id, LPCWSTR text) const { ::SetDlgItemTextW(m_hWnd, id, text); }
    CString GetDlgItemText(int id) const;
    void EnableDlgItem(int id, BOOL enable) const { ::EnableWindow(GetDlgItem(id), enable); }
    void CheckRadioButton(int first, int last, int checked) const { ::CheckRadioButton(m_hWnd, first, last, checked); }
    int GetCheckedRadioButton(int first, int last) const;
    void GetWindowRect(RECT* rect) const;
    void ScreenToClient(RECT* rect) const;
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE) const { ::InvalidateRect(m_hWnd, rect, erase); }
    HWND SetFocus() const { return ::SetFocus(m_hWnd); }
    // The top-level window a modal dialog without an explicit parent belongs to.
    static HWND GetSafeOwner(CWnd* parent);

    HWND m_hWnd = nullptr;

    // The procedure of every class this layer registers.
    static LRESULT CALLBACK EntryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // The one dispatch: unpacks the message and calls the On... handler; others get Default().
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The platform's processing of the message being handled. It reads nothing of the object, so
    // a handler may still call it after its window, and with it a self-deleting object, is gone.
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
    // WM_COMMAND and WM_NOTIFY: TRUE when handled (result in *result); the base reflects
    // them to the sending control first.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual BOOL OnHelpInfo(HELPINFO* info);
    // point is in screen coordinates; (-1, -1) when the keyboard asked.
    virtual void OnContextMenu(HWND window, POINT point);
    virtual void OnCaptureChanged(HWND newOwner);
    // MA_ACTIVATE, MA_NOACTIVATE, ...: whether a click activates the window.
    virtual int OnMouseActivate(HWND topLevel, UINT hitTest, UINT message);
    virtual void OnDisplayChange(UINT bitsPerPixel, int width, int height);

public:
    // A message a control sent its parent, handed back to the control's object: TRUE with
    // *result set when the control answers it itself.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

private:
    // Offers a parent's notification to the object of the control that sent it.
    BOOL ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    bool m_creating = false;
    WNDPROC m_oldWndProc = nullptr;
};
