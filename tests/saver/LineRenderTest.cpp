// Service lines drawn into their one-bit bitmaps with the configured font.
#include "monitor/CMonitoredService.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

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

TEST(LineRender, TheLineIsItsTextInSetBitsAsWideAsItAndItsNulLeaksNothingAndStartsWhollyOffScreen)
{
    const struct {
        bool shortLine;
        float cpu;
        // The extent of "\\SRV1\Print Spooler - Running" (then " - Mem:1234Ko - CPU:100%") and its terminating NUL in
        // 21-pixel Arial (Liberation Sans here).
        SIZE size;
    } lines[] = {{true, 2.6f, {304, 23}}, {false, 250.0f, {575, 23}}};
    CMonitoredService service;
    service.m_server = L"SRV1";
    service.m_displayName = L"Print Spooler";
    service.m_statusText = L"Running";
    service.m_memory = 1234;
    service.Render();
    for (const auto& line : lines) {
        service.m_shortLine = line.shortLine;
        service.m_cpu = line.cpu;
        // The line drawn before goes with its font.
        const HFONT lastFont = service.m_font;
        const HBITMAP lastBitmap = service.m_bitmap;
        service.Render();
        EXPECT_TRUE(lastFont && !GetObjectType(lastFont) && lastBitmap && !GetObjectType(lastBitmap));
        EXPECT_EQ(service.m_size.cx, line.size.cx);
        EXPECT_EQ(service.m_size.cy, line.size.cy);
        EXPECT_LE(service.m_cpu, 100.0f) << "the capped share is stored back";
        // One bit a pixel, text pixels set and the rest clear: some but far from one a pixel are set.
        const int set = SetBits(service.m_bitmap);
        EXPECT_GT(set, 100);
        EXPECT_LT(set, line.size.cx * line.size.cy / 2);
    }

    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1024, 100, nullptr, nullptr, nullptr, nullptr);
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(service.PlaceRandomly(window));
        // Left of the window going right, right of it going left, at most 1000 pixels away.
        const int gap = service.m_direction == 1 ? -(service.m_x + service.m_size.cx) : service.m_x - 1024;
        EXPECT_TRUE(gap >= 0 && gap <= 1000) << service.m_direction << " " << gap;
    }
    DestroyWindow(window);

    for (int i = 0; i < 100000; ++i) {
        service.m_memory = static_cast<DWORD>(i % 10);
        service.Render();
        if (i % 7 == 0)
            service.ReleaseLine();
    }
    // A leak of this size would exhaust the process's GDI handles and the last render would fail.
    const HBITMAP last = service.m_bitmap;
    EXPECT_NE(GetObjectType(last), 0u);
    service.ReleaseLine();
    EXPECT_EQ(GetObjectType(last), 0u);
    // The memory DC holds its own one-pixel bitmap again.
    BITMAP info = {};
    GetObjectW(GetCurrentObject(service.m_memDC, OBJ_BITMAP), sizeof(info), &info);
    EXPECT_EQ(info.bmWidth, 1);
}

}
