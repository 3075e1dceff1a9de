#pragma once

#include "display/CMonitorWnd.h"

// The full-screen saver: a topmost popup over the primary screen that hides the cursor and
// ends the saver on any key, button, mouse movement or loss of activation.
class CSaverFrameWnd : public CMonitorWnd {
public:
    CSaverFrameWnd();
    ~CSaverFrameWnd() override;

    // On FALSE the object is already gone (it deletes itself).
    BOOL CreateFullScreen();

protected:
    void OnSysCommand(UINT id, LPARAM lParam) override;
    void OnDestroy() override;
    BOOL OnSetCursor(HWND window, UINT hitTest, UINT message) override;
    BOOL OnNcActivate(BOOL active) override;
    void OnActivate(UINT state, HWND other, BOOL minimized) override;
    void OnActivateApp(BOOL active, DWORD threadId) override;
    void OnMouseMove(UINT flags, POINT point) override;
    void OnButtonDown(UINT message, UINT flags, POINT point) override;
    void OnKeyDown(UINT message, UINT key, UINT flags) override;

private:
    void RequestClose();

    POINT m_firstMouse;
};
