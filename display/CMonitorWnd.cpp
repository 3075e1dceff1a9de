#include "display/CMonitorWnd.h"

#include "display/AnimationLayout.h"
#include "framework/CDC.h"
#include "framework/CWinApp.h"
#include "framework/DpiScale.h"
#include "res/resource.h"

#include <cstdlib>
#include <cwchar>

namespace {
constexpr UINT_PTR kIntroTimer = 1;
constexpr UINT_PTR kFrameTimer = 2;
constexpr int kRefreshEvery = 100;
// The erase colour: a system-colour brush value is the colour index plus one.
const HBRUSH kEraseBrush = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENUTEXT + 1));

int Width(const RECT& rect)
{
    return rect.right - rect.left;
}
}

CMonitorWnd::CMonitorWnd(BOOL autoDelete) : m_autoDelete(autoDelete)
{
    m_settings.Load();
    m_rowCount = m_settings.ServicesCount;
}

CMonitorWnd::~CMonitorWnd() = default;

BOOL CMonitorWnd::Create(DWORD exStyle, DWORD style, const RECT& rect, HWND parent, UINT)
{
    // One class for every window of the process; its black brush lives as long as the class.
    static LPCWSTR className = AfxRegisterWndClass(
        CS_HREDRAW | CS_VREDRAW, LoadCursorW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDC_BLANK)),
        CreateSolidBrush(RGB(0, 0, 0)), nullptr);
    return CreateEx(exStyle, className, L"", style, rect.left, rect.top, Width(rect), rect.bottom - rect.top, parent,
                    nullptr);
}

void CMonitorWnd::PostNcDestroy()
{
    if (m_autoDelete)
        delete this;
}

int CMonitorWnd::OnCreate(CREATESTRUCTW* create)
{
    if (CWnd::OnCreate(create) == -1)
        return -1;
    // Read once the window exists: a preview made inside a window of another process and DPI awareness may have had
    // its awareness changed by its making (see RunPreview), and the row, the intro and the font follow one value.
    m_dpi = DpiScale::Dpi(CClientDC(m_hWnd));
    m_services.Build();
    RECT client;
    GetClientRect(&client);
    const int total = m_services.GetSize();
    if (total == 0)
        return 0;
    m_rowCount = AnimationLayout::RowCount(m_rowCount, total, Width(client), m_dpi);
    for (int row = 0; row < m_rowCount; ++row)
        PickService(row, TRUE);
    SetTimer(kIntroTimer, AnimationLayout::IntroInterval(Width(client), m_dpi));
    return 0;
}

BOOL CMonitorWnd::PickService(int row, BOOL append)
{
    const int total = m_services.GetSize();
    CMonitoredService* service;
    do
        service = m_services.GetAt(rand() % total);
    while (service->m_inUse);
    service->Refresh(TRUE, &m_processes);
    service->Render(m_dpi);
    m_lineHeight = service->m_size.cy;
    service->PlaceRandomly(m_hWnd);
    if (append)
        m_displayed.push_back(service);
    else
        m_displayed[static_cast<size_t>(row)] = service;
    service->m_inUse = TRUE;
    return TRUE;
}

void CMonitorWnd::OnTimer(UINT_PTR id)
{
    if (id == kIntroTimer) {
        CClientDC dc(m_hWnd);
        RECT client;
        GetClientRect(&client);
        FillRect(dc, &client, kEraseBrush);
        KillTimer(kIntroTimer);
        SetTimer(kFrameTimer, AnimationLayout::kFrameInterval);
    } else if (id == kFrameTimer) {
        DrawFrame();
        if (++m_tick == kRefreshEvery)
            m_tick = 0;
    } else {
        CWnd::OnTimer(id);
    }
}

COLORREF CMonitorWnd::ColorFor(const CString& statusText) const
{
    if (wcscmp(statusText, L"Running") == 0)
        return m_settings.RunningColor;
    if (wcscmp(statusText, L"Stopped") == 0)
        return m_settings.StoppedColor;
    if (wcscmp(statusText, L"Paused") == 0)
        return m_settings.PausedColor;
    return m_settings.OtherColor;
}

void CMonitorWnd::DrawFrame()
{
    m_processes.Reset();
    CClientDC dc(m_hWnd);
    RECT client;
    GetClientRect(&client);
    const int gap = AnimationLayout::RowGap(client.bottom - client.top, m_rowCount, m_lineHeight);
    for (int i = 0; i < static_cast<int>(m_displayed.size()); ++i) {
        CMonitoredService* service = m_displayed[static_cast<size_t>(i)];
        float cpu;
        DWORD memory;
        CString status;
        service->GetCpu(cpu);
        service->GetMemory(memory);
        service->GetStatusText(status);
        // The colour follows the state read before this frame's refresh.
        SetBkColor(dc, ColorFor(status));
        const int x = service->m_x;
        const int y = AnimationLayout::RowTop(i, gap, m_lineHeight);
        if (m_tick == 0) {
            const SIZE before = service->m_size;
            service->Refresh(FALSE, &m_processes);
            float newCpu;
            DWORD newMemory;
            CString newStatus;
            service->GetCpu(newCpu);
            service->GetMemory(newMemory);
            service->GetStatusText(newStatus);
            if (newCpu != cpu || newMemory != memory || newStatus != status) {
                service->Render(m_dpi);
                // A shorter line would leave the end of the old one standing on the screen.
                if (service->m_size.cx != before.cx || service->m_size.cy != before.cy) {
                    const RECT old = {x, y, x + before.cx, y + before.cy};
                    FillRect(dc, &old, kEraseBrush);
                }
            }
        }
        const SIZE size = service->m_size;
        BitBlt(dc, x, y, size.cx, size.cy, service->m_memDC, 0, 0, SRCCOPY);
        const RECT trail = service->m_direction == 1 ? RECT{x - 1, y, x, y + size.cy}
                                                     : RECT{x + size.cx, y, x + size.cx + 1, y + size.cy};
        FillRect(dc, &trail, kEraseBrush);
    }
    MoveLines();
}

void CMonitorWnd::MoveLines()
{
    RECT client;
    GetClientRect(&client);
    for (int i = 0; i < static_cast<int>(m_displayed.size()); ++i) {
        CMonitoredService* service = m_displayed[static_cast<size_t>(i)];
        bool left;
        if (service->m_direction == 1) {
            ++service->m_x;
            left = service->m_x > client.right;
        } else {
            --service->m_x;
            left = service->m_x < client.left - service->m_size.cx;
        }
        if (left) {
            service->m_inUse = FALSE;
            service->ReleaseLine();
            PickService(i, FALSE);
        }
    }
}

void CMonitorWnd::OnPaint()
{
    CPaintDC paint(m_hWnd);
    RECT client;
    GetClientRect(&client);
    if (AnimationLayout::ShowsIntro(Width(client), m_dpi)) {
        CClientDC dc(m_hWnd);
        DrawIntro(dc);
    }
}

void CMonitorWnd::OnDestroy()
{
    KillTimer(kFrameTimer);
    m_displayed.clear();
    m_services.DestroyServices();
    CWnd::OnDestroy();
}

BOOL CMonitorWnd::DrawIntro(HDC dc)
{
    if (dc == nullptr)
        return FALSE;
    CDC memory;
    if (!memory.CreateCompatibleDC(dc))
        return FALSE;
    // The picture keeps its physical size: drawn for twice 96 DPI, it stays crisp on a scaled screen.
    const int pictureDpi = AnimationLayout::IntroPictureDpi(m_dpi);
    const int id = pictureDpi > DpiScale::kBaseDpi ? IDB_INTRO_LARGE : IDB_INTRO;
    HANDLE picture =
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (picture == nullptr)
        return FALSE;
    BITMAP info = {};
    GetObjectW(picture, sizeof(info), &info);
    {
        CSelectObject selected(memory, picture);
        RECT client;
        GetClientRect(&client);
        const SIZE size = AnimationLayout::IntroSize(info.bmWidth, info.bmHeight, pictureDpi, m_dpi);
        const POINT origin = AnimationLayout::IntroOrigin(Width(client), client.bottom - client.top, size.cx, size.cy);
        if (size.cx == info.bmWidth && size.cy == info.bmHeight) {
            BitBlt(dc, origin.x, origin.y, size.cx, size.cy, memory, 0, 0, SRCCOPY);
        } else {
            // Between the two drawings: averaged, not dropped, pixels. The brush origin must be set after the mode.
            const int oldMode = SetStretchBltMode(dc, HALFTONE);
            POINT oldOrigin;
            SetBrushOrgEx(dc, 0, 0, &oldOrigin);
            StretchBlt(dc, origin.x, origin.y, size.cx, size.cy, memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
            SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
            SetStretchBltMode(dc, oldMode);
        }
    }
    DeleteObject(picture);
    return TRUE;
}
