#pragma once

#include "app/MonitorLayout.h"
#include "display/CMonitorWnd.h"

#include <vector>

// The full-screen saver: a topmost popup over the primary screen that hides the cursor and
// ends the saver on any key, button, mouse movement or loss of activation. Every other monitor
// gets a black cover window that ends the saver on the same input.
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
    void OnDisplayChange(UINT bitsPerPixel, int width, int height) override;

private:
    void RequestClose();
    void CoverMonitors(const MonitorLayout& layout);
    void RemoveCovers();

    POINT m_firstMouse;
    // Borrowed: each cover deletes itself, and goes with this window, which owns it.
    std::vector<HWND> m_covers;
};
