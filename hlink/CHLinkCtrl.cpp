#include "hlink/CHLinkCtrl.h"

#include "framework/CWaitCursor.h"
#include "framework/DpiScale.h"
#include "framework/CWinApp.h"
#include "hlink/CHLinkSheet.h"
#include "hlink/ShellOpen.h"
#include "res/resource.h"

#include <cstring>

namespace {
// Where a menu asked for from the keyboard opens, right of and below the link's corner, at 96 DPI.
constexpr int kMenuOffset = 5;
}

CHLinkCtrl::CHLinkCtrl()
    : m_hHandCursor(LoadCursorW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDC_LINK_HAND))),
      m_hArrowCursor(LoadCursorW(nullptr, IDC_ARROW))
{
}

BOOL CHLinkCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message != WM_CTLCOLORSTATIC)
        return CStatic::OnChildNotify(message, wParam, lParam, result);
    *result = reinterpret_cast<LRESULT>(CtlColor(reinterpret_cast<HDC>(wParam)));
    return TRUE;
}

HBRUSH CHLinkCtrl::CtlColor(HDC dc)
{
    // A static only hears the mouse with SS_NOTIFY.
    const LONG style = GetWindowLongW(m_hWnd, GWL_STYLE);
    if ((style & SS_NOTIFY) == 0)
        SetWindowLongW(m_hWnd, GWL_STYLE, style | SS_NOTIFY);
    // Icons, frames and the like keep the parent's ordinary colours.
    if ((style & 0xFF) > SS_RIGHT)
        return nullptr;
    if (m_underlineFont.GetSafeHandle() == nullptr) {
        LOGFONTW font = {};
        GetObjectW(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)), sizeof(font), &font);
        font.lfUnderline = TRUE;
        m_underlineFont.CreateFontIndirect(&font);
    }
    SelectObject(dc, m_underlineFont);
    switch (m_state) {
    case NotVisited:
        SetTextColor(dc, m_crLink);
        break;
    case Visited:
        SetTextColor(dc, m_crVisited);
        break;
    case Hovered:
        SetTextColor(dc, m_crHover);
        break;
    }
    SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

BOOL CHLinkCtrl::OnSetCursor(HWND, UINT, UINT)
{
    SetCursor(m_bMenuOpen ? m_hArrowCursor : m_hHandCursor);
    return TRUE;
}

void CHLinkCtrl::OnMouseMove(UINT flags, POINT point)
{
    RECT client;
    GetClientRect(&client);
    const bool inside = PtInRect(&client, point) != FALSE;
    if (inside && m_state != Hovered) {
        // The capture brings the moves over the rest of the dialog, so the leaving is seen.
        SetCapture(m_hWnd);
        SetHover(true);
    } else if (!inside && m_state == Hovered) {
        SetHover(false);
        ReleaseCapture();
    }
    CStatic::OnMouseMove(flags, point);
}

void CHLinkCtrl::SetHover(bool on)
{
    if (on == (m_state == Hovered))
        return;
    if (on) {
        m_stateBeforeHover = m_state;
        m_state = Hovered;
    } else {
        m_state = m_stateBeforeHover;
    }
    InvalidateRect(nullptr, TRUE);
}

void CHLinkCtrl::OnCaptureChanged(HWND newOwner)
{
    // Whoever takes the pointer away also ends the hover, so the link never stays red.
    if (newOwner != m_hWnd)
        SetHover(false);
    CStatic::OnCaptureChanged(newOwner);
}

void CHLinkCtrl::OnButtonDown(UINT message, UINT flags, POINT point)
{
    if (message != WM_LBUTTONDOWN) {
        CStatic::OnButtonDown(message, flags, point);
        return;
    }
    // The open runs after this click has been handled.
    PostMessage(WM_COMMAND, ID_LINK_OPEN, 0);
}

void CHLinkCtrl::OnContextMenu(HWND, POINT point)
{
    SetHover(false);
    if (GetCapture() == m_hWnd)
        ReleaseCapture();
    if (point.x == -1 && point.y == -1) {
        RECT client;
        GetClientRect(&client);
        point = {client.left, client.top};
        ClientToScreen(m_hWnd, &point);
        const int offset = DpiScale::Scale(kMenuOffset, DpiScale::Dpi());
        point.x += offset;
        point.y += offset;
    }
    HMENU menu = LoadMenuW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDR_LINK_MENU));
    if (menu == nullptr)
        return;
    m_bMenuOpen = true;
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
    m_bMenuOpen = false;
    DestroyMenu(menu);
}

BOOL CHLinkCtrl::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case ID_LINK_OPEN:
        OnOpen();
        return TRUE;
    case ID_LINK_COPY_SHORTCUT:
        OnCopyShortcut();
        return TRUE;
    case ID_LINK_PROPERTIES:
        OnProperties();
        return TRUE;
    default:
        return CStatic::OnCommand(wParam, lParam);
    }
}

void CHLinkCtrl::OnOpen()
{
    BOOL opened;
    {
        CWaitCursor wait;
        opened = ShellOpen(GetParent(m_hWnd), m_strURL);
    }
    if (!opened)
        return;
    // Opened while hovered: the visited colour shows once the pointer has left.
    if (m_state == Hovered)
        m_stateBeforeHover = Visited;
    else
        m_state = Visited;
}

void CHLinkCtrl::OnCopyShortcut()
{
    if (!OpenClipboard(m_hWnd))
        return;
    // Stale formats of another owner would sit beside the address otherwise.
    EmptyClipboard();
    const size_t bytes = (static_cast<size_t>(m_strURL.GetLength()) + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
    if (block != nullptr) {
        if (void* data = GlobalLock(block)) {
            std::memcpy(data, static_cast<LPCWSTR>(m_strURL), bytes);
            GlobalUnlock(block);
            // From here the clipboard owns the block.
            if (SetClipboardData(CF_UNICODETEXT, block) == nullptr)
                GlobalFree(block);
        } else {
            GlobalFree(block);
        }
    }
    CloseClipboard();
}

void CHLinkCtrl::OnProperties()
{
    CWnd* parent = FromHandlePermanent(GetParent(m_hWnd));
    CHLinkSheet sheet(IDS_PROPERTIES, parent, 0);
    sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
    sheet.m_linkPage.m_pLink = this;
    sheet.DoModal();
}
