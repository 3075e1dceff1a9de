#pragma once

#include "framework/CGdiObject.h"
#include "framework/CStatic.h"
#include "framework/CString.h"

// A dialog's static text turned into a web link: underlined, coloured by state, opened by a
// click, with a context menu of Open, Copy Shortcut and Properties.
class CHLinkCtrl : public CStatic {
public:
    enum State { NotVisited = 0, Visited = 1, Hovered = 2 };

    static constexpr COLORREF kLinkColor = RGB(0, 0, 255);
    static constexpr COLORREF kVisitedColor = RGB(128, 0, 128);
    static constexpr COLORREF kHoverColor = RGB(255, 0, 0);

    CHLinkCtrl();

    void SetURL(LPCWSTR url) { m_strURL = url; }
    CString GetURL() const { return m_strURL; }

    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

protected:
    BOOL OnSetCursor(HWND window, UINT hitTest, UINT message) override;
    void OnMouseMove(UINT flags, POINT point) override;
    void OnButtonDown(UINT message, UINT flags, POINT point) override;
    void OnContextMenu(HWND window, POINT point) override;
    void OnCaptureChanged(HWND newOwner) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    // The parent's colour query for this control: font and colours of the text.
    HBRUSH CtlColor(HDC dc);
    void SetHover(bool on);
    void OnOpen();
    void OnCopyShortcut();
    void OnProperties();

    CString m_strURL;
    HCURSOR m_hHandCursor;
    HCURSOR m_hArrowCursor;
    COLORREF m_crLink = kLinkColor;
    COLORREF m_crVisited = kVisitedColor;
    COLORREF m_crHover = kHoverColor;
    State m_state = NotVisited;
    State m_stateBeforeHover = NotVisited;
    bool m_bMenuOpen = false;
    CFont m_underlineFont;
};
