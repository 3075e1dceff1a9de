// Service lines drawn into their one-bit bitmaps with the configured font.
#include "monitor/CMonitoredService.h"
#include "settings/CSaverSettings.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

void Describe(CMonitoredService& service, bool shortLine)
{
    service.m_server = L"SRV1";
    service.m_displayName = L"Print Spooler";
    service.m_statusText = L"Running";
    service.m_shortLine = shortLine;
    service.m_memory = 1234;
    service.m_cpu = 2.6f;
}

SIZE ExpectedSize(LPCWSTR text)
{
    LOGFONTW font;
    CSaverSettings::SetDefaultFont(font);
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT handle = CreateFontIndirectW(&font);
    HGDIOBJ old = SelectObject(dc, handle);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, lstrlenW(text) + 1, &size);
    SelectObject(dc, old);
    DeleteObject(handle);
    DeleteDC(dc);
    return size;
}

int SetBits(HBITMAP bitmap)
{
    BITMAP info = {};
    GetObjectW(bitmap, sizeof(info), &info);
    std::vector<BYTE> bits(static_cast<size_t>(info.bmWidthBytes) * info.bmHeight);
    GetBitmapBits(bitmap, static_cast<LONG>(bits.size()), bits.data());
    int count = 0;
    for (BYTE b : bits)
        for (; b; b &= b - 1)
            ++count;
    return count;
}

TEST(LineRender, BitmapIsOneBitAndAsWideAsTheTextAndItsNul)
{
    CMonitoredService service;
    Describe(service, false);
    ASSERT_TRUE(service.Render());
    const SIZE expected = ExpectedSize(L"\\\\SRV1\\Print Spooler - Running - Mem:1234Ko - CPU:3%");
    EXPECT_EQ(service.m_size.cx, expected.cx);
    EXPECT_EQ(service.m_size.cy, expected.cy);
    BITMAP info = {};
    ASSERT_TRUE(GetObjectW(service.m_bitmap, sizeof(info), &info));
    EXPECT_EQ(info.bmBitsPixel, 1);
    EXPECT_EQ(info.bmWidth, expected.cx);
    // Text pixels are set bits, the rest clear: some but far from all bits are set.
    const int set = SetBits(service.m_bitmap);
    EXPECT_GT(set, 100);
    EXPECT_LT(set, info.bmWidth * info.bmHeight / 2);

    Describe(service, true);
    service.Render();
    EXPECT_EQ(service.m_size.cx, ExpectedSize(L"\\\\SRV1\\Print Spooler - Running").cx);
}

TEST(LineRender, ShareAboveOneHundredIsStoredBackAsOneHundred)
{
    CMonitoredService service;
    Describe(service, false);
    service.m_cpu = 250.0f;
    service.Render();
    EXPECT_EQ(service.m_cpu, 100.0f);
    EXPECT_EQ(service.m_size.cx, ExpectedSize(L"\\\\SRV1\\Print Spooler - Running - Mem:1234Ko - CPU:100%").cx);
}

TEST(LineRender, RenderingAgainReleasesTheEarlierFontAndBitmap)
{
    CMonitoredService service;
    Describe(service, false);
    service.Render();
    const HFONT firstFont = service.m_font;
    const HBITMAP firstBitmap = service.m_bitmap;
    service.Render();
    EXPECT_EQ(GetObjectType(firstFont), 0u);
    EXPECT_EQ(GetObjectType(firstBitmap), 0u);
    const HBITMAP current = service.m_bitmap;
    service.ReleaseLine();
    EXPECT_EQ(GetObjectType(current), 0u);
    EXPECT_EQ(service.m_font, nullptr);
    // The memory DC holds its own one-pixel bitmap again.
    BITMAP info = {};
    GetObjectW(GetCurrentObject(service.m_memDC, OBJ_BITMAP), sizeof(info), &info);
    EXPECT_EQ(info.bmWidth, 1);
}

TEST(LineRender, HundredThousandRendersLeaveNoGdiObjectsBehind)
{
    CMonitoredService service;
    Describe(service, false);
    service.Render();
    const SIZE first = service.m_size;
    for (int i = 0; i < 100000; ++i) {
        service.m_memory = static_cast<DWORD>(i % 10);
        service.Render();
        if (i % 7 == 0)
            service.ReleaseLine();
    }
    // A leak of this size would exhaust the process's GDI handles and the last render would fail.
    service.m_memory = 1234;
    service.Render();
    EXPECT_EQ(service.m_size.cx, first.cx);
    EXPECT_NE(GetObjectType(service.m_bitmap), 0u);
}

TEST(LineRender, PlacementNeedsAWindowAndStartsOffScreen)
{
    CMonitoredService service;
    Describe(service, true);
    service.Render();
    EXPECT_FALSE(service.PlaceRandomly(nullptr));
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1024, 100, nullptr, nullptr, nullptr, nullptr);
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(service.PlaceRandomly(window));
        if (service.m_direction == 1) {
            EXPECT_LE(service.m_x + service.m_size.cx, 0);
            EXPECT_GE(service.m_x + service.m_size.cx, -1000);
        } else {
            EXPECT_GE(service.m_x, 1024);
            EXPECT_LE(service.m_x, 2024);
        }
    }
    DestroyWindow(window);
}

}
