#include "config/CDisplayPage.h"
#include "display/AnimationLayout.h"
#include "framework/DpiScale.h"
#include "monitor/ServiceLine.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(LineFormat, LongLinesShowMemoryAndRoundedShareShortLinesNeither)
{
    EXPECT_EQ(ServiceLine::Format(L"SRV1", L"Print Spooler", L"Running", false, 1234, 2.6),
              L"\\\\SRV1\\Print Spooler - Running - Mem:1234Ko - CPU:3%");
    EXPECT_EQ(ServiceLine::Format(L"S", L"N", L"Paused", false, 4000000000u, 99.6),
              L"\\\\S\\N - Paused - Mem:4000000000Ko - CPU:100%");
    EXPECT_EQ(ServiceLine::Format(L"S", L"N", L"Running", false, 0, 0.4), L"\\\\S\\N - Running - Mem:0Ko - CPU:0%");
    EXPECT_EQ(ServiceLine::Format(L"SRV1", L"Print Spooler", L"Stopped", true, 1234, 50),
              L"\\\\SRV1\\Print Spooler - Stopped");
    EXPECT_EQ(ServiceLine::Format(L"SRV1", L"", L"Unknown", true, 0, 0), L"\\\\SRV1\\ - Unknown");
}

TEST(LineFormat, ShareAboveOneHundredOrNotANumberIsCapped)
{
    for (const auto &[share, shown] : {std::pair{250.0, 100.0}, {std::nan(""), 100.0}, {100.0, 100.0}, {0.4, 0.4}})
        EXPECT_EQ(ServiceLine::ClampedCpu(share), shown) << share;
}

TEST(Placement, LinesStartWhollyOffScreenOnTheirSide)
{
    const int rows[][3] = {{1, 0, -1300}, {1, 1000, -300}, {0, 0, 1024}, {0, 1000, 2024}};
    for (const auto &row : rows)
        EXPECT_EQ(ServiceLine::StartX(row[0], row[1], 0, 1024, 300), row[2]) << row[0] << " " << row[1];
}

TEST(Rows, AsManyAsSavedUpToTheServicesOneInANarrowWindowSpreadEvenlyAndOverlappingWhenTheyDoNotFit)
{
    // The saved count, the services there are, the window's width and the screen's DPI, and the rows.
    const int counts[][5] = {{5, 3, 1024, 96, 3}, {5, 20, 1024, 96, 5}, {0, 3, 1024, 96, 0}, {5, 3, 400, 96, 3},
                             {5, 3, 399, 96, 1},  {0, 3, 152, 96, 1},   {-1, 3, 1024, 96, 0}, {-7, 3, 152, 96, 1},
                             {5, 0, 1024, 96, 0}, {5, 0, 152, 96, 0},   {5, 9, 799, 192, 1},  {5, 9, 800, 192, 5}};
    for (const auto &[saved, services, width, dpi, rows] : counts)
        EXPECT_EQ(AnimationLayout::RowCount(saved, services, width, dpi), rows)
            << saved << " " << services << " " << width << " at " << dpi;
    EXPECT_EQ(AnimationLayout::RowGap(768, 5, 24), 108);
    EXPECT_EQ(AnimationLayout::RowTop(0, 108, 24), 108);
    EXPECT_EQ(AnimationLayout::RowTop(4, 108, 24), 636);
    EXPECT_EQ(AnimationLayout::RowGap(100, 10, 24), -12);
    EXPECT_EQ(AnimationLayout::RowTop(1, -12, 24), 0);
    EXPECT_EQ(AnimationLayout::RowGap(768, 0, 24), 768);
    EXPECT_EQ(AnimationLayout::RowGap(768, -1, 24), 768);
}

TEST(Dpi, PixelsAt96DpiScaleToTheScreenRoundingHalvesAwayFromZero)
{
    // value, dpi, scaled; then unscaled back
    const int rows[][4] = {{21, 96, 21, 21},     {-21, 120, -26, -21}, {-21, 144, -32, -21}, {-21, 192, -42, -21},
                           {281, 144, 422, 281}, {-1, 144, -2, -1},    {7, 0, 7, 7},         {-43, 72, -32, -43}};
    for (const auto &row : rows) {
        EXPECT_EQ(DpiScale::Scale(row[0], row[1]), row[2]) << row[0] << " at " << row[1];
        EXPECT_EQ(DpiScale::Unscale(row[2], row[1]), row[3]) << row[2] << " at " << row[1];
    }
    EXPECT_EQ(DpiScale::MulDivRounded(2000000000, 192, 96), 2147483647);
    EXPECT_EQ(DpiScale::MulDivRounded(5, 1, 0), 0);
}

TEST(Intro, PictureIsCentredAndMayOverhangASmallWindow)
{
    EXPECT_EQ(AnimationLayout::IntroOrigin(1024, 768, 281, 364).x, 372);
    EXPECT_EQ(AnimationLayout::IntroOrigin(1024, 768, 281, 364).y, 202);
    EXPECT_EQ(AnimationLayout::IntroOrigin(1023, 768, 281, 364).x, 371);
    EXPECT_EQ(AnimationLayout::IntroOrigin(401, 300, 281, 364).y, -32);
    EXPECT_TRUE(AnimationLayout::ShowsIntro(401, 96));
    EXPECT_FALSE(AnimationLayout::ShowsIntro(400, 96));
    EXPECT_FALSE(AnimationLayout::ShowsIntro(800, 192));
    // The picture drawn for a screen's DPI: the 96-DPI one at 96, the one for twice that above.
    for (const auto &[dpi, picture] : {std::pair{96, 96}, {120, 192}, {144, 192}, {192, 192}, {288, 192}})
        EXPECT_EQ(AnimationLayout::IntroPictureDpi(dpi), picture) << dpi;
    // The intro's length in milliseconds: a full screen's, then a preview's.
    const int intervals[][3] = {{1024, 96, 3173}, {2048, 192, 3173}, {152, 96, 50}, {800, 192, 50}};
    for (const auto &[width, dpi, interval] : intervals)
        EXPECT_EQ(AnimationLayout::IntroInterval(width, dpi), static_cast<UINT>(interval)) << width << " at " << dpi;
}

TEST(RowChoices, CapacityLeavesTwentyPixelsRoundEveryLineAndTheListEndsAtThePairsOrIt)
{
    // Height, line, dpi, capacity: the same screen at 100, 125, 150 and 200 % holds as many lines.
    const int capacities[][4] = {{768, 24, 96, 17}, {960, 30, 120, 17}, {1152, 36, 144, 17}, {1536, 48, 192, 17},
                                 {768, 35, 96, 13}, {768, 800, 96, 0},  {10, 5, 96, 0},      {1536, 48, 96, 22}};
    for (const auto &row : capacities)
        EXPECT_EQ(CDisplayPage::LineCapacity(row[0], row[1], row[2]), row[3]) << row[0] << " at " << row[2];
    // The dialog's height, its size in tenths of a point, dpi, the height stored: the same whole points at every
    // scale, and the dialog's own height at 96 DPI or without a size.
    const int fonts[][4] = {{-21, 160, 96, -21},  {-43, 160, 192, -21},  {-27, 160, 120, -21},
                            {-32, 160, 144, -21}, {-192, 720, 192, -96}, {-45, 170, 192, -23},
                            {-22, 170, 96, -22},  {-42, 0, 192, -21},    {44, 160, 192, 22}};
    for (const auto &row : fonts)
        EXPECT_EQ(CDisplayPage::StoredFontHeight(row[0], row[1], row[2]), row[3]) << row[0] << " at " << row[2];
    // The height stored for 8, 11, 14 and 10 points, dpi, the dialog's: the same whole points at every scale.
    const int opened[][3] = {{-11, 96, -11},  {-11, 120, -13}, {-11, 144, -16}, {-11, 192, -21}, {-15, 96, -15},
                             {-15, 120, -18}, {-15, 144, -22}, {-15, 192, -29}, {-19, 96, -19},  {-19, 120, -23},
                             {-19, 144, -28}, {-19, 192, -37}, {-13, 120, -17}, {21, 144, 32}};
    for (const auto &row : opened)
        EXPECT_EQ(CDisplayPage::DialogFontHeight(row[0], row[1]), row[2]) << row[0] << " at " << row[1];
    const int choices[][3] = {{0, 12, 12}, {3, 12, 3}, {20, 12, 12}, {3, 0, 0}, {0, -1, 0}};
    for (const auto &row : choices)
        EXPECT_EQ(CDisplayPage::CountChoices(row[0], row[1]), row[2]) << row[0] << " " << row[1];
}

} // namespace
