#pragma once

#include "framework/CWnd.h"

// A plain black window over one of the other monitors while the full-screen saver runs. It never
// takes activation from the saver's frame, hides the pointer, and asks the frame to close on the
// mouse input that ends the saver; keys reach the frame, which keeps the focus. Deletes itself after
// its window is destroyed.
class CCoverWnd : public CWnd {
public:
    explicit CCoverWnd(HWND frame);

    // On FALSE the object is already gone.
    BOOL Create(const RECT& monitor);

protected:
    void PostNcDestroy() override;
    BOOL OnSetCursor(HWND window, UINT hitTest, UINT message) override;
    int OnMouseActivate(HWND topLevel, UINT hitTest, UINT message) override;
    void OnMouseMove(UINT flags, POINT point) override;
    void OnButtonDown(UINT message, UINT flags, POINT point) override;

private:
    HWND m_frame;
    POINT m_firstMouse;
};
