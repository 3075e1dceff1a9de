#pragma once

#include "display/CMonitoredList.h"
#include "framework/CWnd.h"
#include "framework/DpiScale.h"
#include "settings/CSaverSettings.h"

#include <vector>

// The window that shows the monitored services: the intro picture, then rows of lines that
// glide across one pixel per 10 ms frame, coloured by the state of their service.
class CMonitorWnd : public CWnd {
public:
    explicit CMonitorWnd(BOOL autoDelete);
    ~CMonitorWnd() override;

    // On FALSE a self-deleting object is already gone.
    virtual BOOL Create(DWORD exStyle, DWORD style, const RECT& rect, HWND parent, UINT id);
    BOOL DrawIntro(HDC dc);

protected:
    void PostNcDestroy() override;
    int OnCreate(CREATESTRUCTW* create) override;
    void OnTimer(UINT_PTR id) override;
    void OnPaint() override;
    void OnDestroy() override;

    BOOL PickService(int row, BOOL append);
    void DrawFrame();
    void MoveLines();
    COLORREF ColorFor(const CString& statusText) const;

    CMonitoredList m_services;
    // The system's process list, asked at most once a frame and only for a row whose process's own handle cannot
    // tell its figures: the rows of a refresh round share it, and so do the lines given a row in that frame.
    CProcessList m_processes;
    std::vector<CMonitoredService*> m_displayed;
    CSaverSettings m_settings;
    int m_tick = 0;
    int m_rowCount;
    int m_lineHeight = 0;
    BOOL m_autoDelete;
    // The LOGPIXELSY of the window once it exists: every size given in pixels here is for 96. Rows, intro and line
    // font all follow this one value.
    int m_dpi = DpiScale::kBaseDpi;
};
