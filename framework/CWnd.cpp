#include "framework/CWnd.h"

#include "framework/CWinApp.h"

#include <cstdio>
#include <set>
#include <string>
#include <windowsx.h>
// windowsx.h has a macro of this name; the member is meant here.
#undef SubclassWindow

namespace {
// The message being handled on this thread, innermost first. It lives on EntryProc's stack, not in
// the window object: a message whose handling destroys a self-deleting window outlives the object.
struct CurrentMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    WNDPROC oldWndProc;
};
thread_local const CurrentMessage* t_current = nullptr;

class MessageScope {
public:
    explicit MessageScope(const CurrentMessage& message) : m_outer(t_current) { t_current = &message; }
    ~MessageScope() { t_current = m_outer; }
    MessageScope(const MessageScope&) = delete;
    MessageScope& operator=(const MessageScope&) = delete;

private:
    const CurrentMessage* m_outer;
};
}

LPCWSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    // The name encodes the arguments, so the same request finds the class registered before.
    wchar_t name[96];
    swprintf(name, 96, L"Afx:%p:%x:%p:%p:%p", static_cast<void*>(AfxGetInstanceHandle()), classStyle,
             static_cast<void*>(cursor), static_cast<void*>(background), static_cast<void*>(icon));
    WNDCLASSW existing;
    if (!GetClassInfoW(AfxGetInstanceHandle(), name, &existing)) {
        WNDCLASSW wc = {};
        wc.style = classStyle;
        wc.lpfnWndProc = CWnd::EntryProc;
        wc.hInstance = AfxGetInstanceHandle();
        wc.hCursor = cursor;
        wc.hbrBackground = background;
        wc.hIcon = icon;
        wc.lpszClassName = name;
        if (!RegisterClassW(&wc))
            return nullptr;
    }
    // Callers keep the name for later windows: each class's name stays valid, and stays its own.
    static std::set<std::wstring> names;
    return names.insert(name).first->c_str();
}

CWnd::~CWnd()
{
    // The object goes first: the window must no longer reach it.
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) {
        if (m_oldWndProc != nullptr)
            SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldWndProc));
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    }
    m_hWnd = nullptr;
}

BOOL CWnd::SubclassWindow(HWND window)
{
    if (window == nullptr || m_hWnd != nullptr || FromHandlePermanent(window) != nullptr)
        return FALSE;
    m_hWnd = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_oldWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::EntryProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(int id, CWnd* parent)
{
    return parent != nullptr && SubclassWindow(parent->GetDlgItem(id));
}

HWND CWnd::Detach()
{
    HWND window = m_hWnd;
    m_hWnd = nullptr;
    return window;
}

CWnd* CWnd::FromHandlePermanent(HWND window)
{
    // GWLP_USERDATA is only ours where our procedure runs the window.
    if (window == nullptr ||
        GetWindowLongPtrW(window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&CWnd::EntryProc))
        return nullptr;
    return reinterpret_cast<CWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

HWND CWnd::GetSafeOwner(CWnd* parent)
{
    // A modal window disables its owner, so the owner must be the top-level window, not a child.
    if (parent != nullptr && parent->m_hWnd != nullptr)
        return GetAncestor(parent->m_hWnd, GA_ROOT);
    HWND active = GetActiveWindow();
    return active != nullptr ? GetAncestor(active, GA_ROOT) : nullptr;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menuOrId)
{
    // EntryProc picks this object up from the creation parameter at WM_NCCREATE.
    m_creating = true;
    const HWND window = className == nullptr ? nullptr
                                             : CreateWindowExW(exStyle, className, title, style, x, y, width, height,
                                                               parent, menuOrId, AfxGetInstanceHandle(), this);
    m_creating = false;
    if (window == nullptr) {
        // Whether or not the platform got as far as WM_NCDESTROY, or was asked at all, the object ends here, once.
        m_hWnd = nullptr;
        PostNcDestroy();
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd != nullptr && ::DestroyWindow(m_hWnd);
}

void CWnd::GetClientRect(RECT* rect) const
{
    if (!::GetClientRect(m_hWnd, rect))
        SetRectEmpty(rect);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::SendDlgItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendDlgItemMessageW(m_hWnd, id, message, wParam, lParam);
}

CString CWnd::GetDlgItemText(int id) const
{
    HWND item = GetDlgItem(id);
    const int length = item != nullptr ? GetWindowTextLengthW(item) : 0;
    if (length <= 0)
        return CString();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(item, &text[0], length + 1);
    return CString(text.c_str(), copied > 0 ? copied : 0);
}

int CWnd::GetCheckedRadioButton(int first, int last) const
{
    for (int id = first; id <= last; ++id)
        if (IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED)
            return id;
    return 0;
}

void CWnd::GetWindowRect(RECT* rect) const
{
    if (!::GetWindowRect(m_hWnd, rect))
        SetRectEmpty(rect);
}

void CWnd::ScreenToClient(RECT* rect) const
{
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(rect), 2);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse)
{
    return ::SetTimer(m_hWnd, id, elapse, nullptr);
}

BOOL CWnd::KillTimer(UINT_PTR id)
{
    return ::KillTimer(m_hWnd, id);
}

LRESULT CALLBACK CWnd::EntryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<CWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr && message == WM_NCCREATE) {
        self = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self != nullptr) {
            self->m_hWnd = window;
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    }
    if (self == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);

    const CurrentMessage current = {window, message, wParam, lParam, self->m_oldWndProc};
    const MessageScope scope(current);
    if (message == WM_NCDESTROY) {
        const LRESULT result = self->Default();
        if (self->m_oldWndProc != nullptr) {
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->m_oldWndProc));
            self->m_oldWndProc = nullptr;
        }
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        CWinApp* app = AfxGetApp();
        // The program ends with its main window.
        if (app != nullptr && app->m_pMainWnd == self) {
            app->m_pMainWnd = nullptr;
            PostQuitMessage(0);
        }
        // Last: a self-deleting object is gone after this.
        if (!self->m_creating)
            self->PostNcDestroy();
        return result;
    }
    // Nothing of the object is touched after this: the handling may have deleted it.
    return self->WindowProc(message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const CurrentMessage* current = t_current;
    if (current == nullptr)
        return 0;
    if (current->oldWndProc != nullptr)
        return CallWindowProcW(current->oldWndProc, current->window, current->message, current->wParam,
                               current->lParam);
    return DefWindowProcW(current->window, current->message, current->wParam, current->lParam);
}

BOOL CWnd::ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    CWnd* control = child != m_hWnd ? FromHandlePermanent(child) : nullptr;
    return control != nullptr && control->OnChildNotify(message, wParam, lParam, result);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam));
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_SETCURSOR:
        return OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));
    case WM_SYSCOMMAND:
        OnSysCommand(static_cast<UINT>(wParam), lParam);
        return 0;
    case WM_NCACTIVATE:
        return OnNcActivate(static_cast<BOOL>(wParam));
    case WM_ACTIVATE:
        OnActivate(LOWORD(wParam), reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
    case WM_ACTIVATEAPP:
        OnActivateApp(static_cast<BOOL>(wParam), static_cast<DWORD>(lParam));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wParam), point);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN:
        OnButtonDown(message, static_cast<UINT>(wParam), point);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        OnKeyDown(message, static_cast<UINT>(wParam), static_cast<UINT>(lParam));
        return 0;
    case WM_COMMAND:
        return OnCommand(wParam, lParam) ? 0 : Default();
    case WM_NOTIFY: {
        LRESULT result = 0;
        return OnNotify(wParam, lParam, &result) ? result : Default();
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        LRESULT result = 0;
        return ReflectToChild(reinterpret_cast<HWND>(lParam), message, wParam, lParam, &result) ? result : Default();
    }
    case WM_HELP:
        return OnHelpInfo(reinterpret_cast<HELPINFO*>(lParam)) ? TRUE : Default();
    case WM_CONTEXTMENU:
        OnContextMenu(reinterpret_cast<HWND>(wParam), point);
        return 0;
    case WM_CAPTURECHANGED:
        OnCaptureChanged(reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_MOUSEACTIVATE:
        return OnMouseActivate(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));
    case WM_DISPLAYCHANGE:
        OnDisplayChange(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    default:
        return Default();
    }
}

// Every handler's base behaviour is the platform's processing.
int CWnd::OnCreate(CREATESTRUCTW*)
{
    return static_cast<int>(Default());
}

void CWnd::OnDestroy()
{
    Default();
}

void CWnd::OnPaint()
{
    Default();
}

void CWnd::OnTimer(UINT_PTR)
{
    Default();
}

BOOL CWnd::OnSetCursor(HWND, UINT, UINT)
{
    return static_cast<BOOL>(Default());
}

void CWnd::OnSysCommand(UINT, LPARAM)
{
    Default();
}

BOOL CWnd::OnNcActivate(BOOL)
{
    return static_cast<BOOL>(Default());
}

void CWnd::OnActivate(UINT, HWND, BOOL)
{
    Default();
}

void CWnd::OnActivateApp(BOOL, DWORD)
{
    Default();
}

void CWnd::OnMouseMove(UINT, POINT)
{
    Default();
}

void CWnd::OnButtonDown(UINT, UINT, POINT)
{
    Default();
}

void CWnd::OnKeyDown(UINT, UINT, UINT)
{
    Default();
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    return ReflectToChild(reinterpret_cast<HWND>(lParam), WM_COMMAND, wParam, lParam, &result);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    return header != nullptr && ReflectToChild(header->hwndFrom, WM_NOTIFY, wParam, lParam, result);
}

BOOL CWnd::OnHelpInfo(HELPINFO*)
{
    return FALSE;
}

void CWnd::OnContextMenu(HWND, POINT)
{
    Default();
}

void CWnd::OnCaptureChanged(HWND)
{
    Default();
}

int CWnd::OnMouseActivate(HWND, UINT, UINT)
{
    return static_cast<int>(Default());
}

void CWnd::OnDisplayChange(UINT, int, int)
{
    Default();
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*)
{
    return FALSE;
}
