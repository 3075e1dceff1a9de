#include "config/CDisplayPage.h"
#include "display/AnimationLayout.h"
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
    // The saved count, the services there are, the window's width, and the rows.
    const int counts[][4] = {{5, 3, 1024, 3}, {5, 20, 1024, 5}, {0, 3, 1024, 0}, {5, 3, 400, 3}, {5, 3, 399, 1},
                             {0, 3, 152, 1},  {-1, 3, 1024, 0}, {-7, 3, 152, 1}, {5, 0, 1024, 0}, {5, 0, 152, 0}};
    for (const auto &[saved, services, width, rows] : counts)
        EXPECT_EQ(AnimationLayout::RowCount(saved, services, width), rows) << saved << " " << services << " " << width;
    EXPECT_EQ(AnimationLayout::RowGap(768, 5, 24), 108);
    EXPECT_EQ(AnimationLayout::RowTop(0, 108, 24), 108);
    EXPECT_EQ(AnimationLayout::RowTop(4, 108, 24), 636);
    EXPECT_EQ(AnimationLayout::RowGap(100, 10, 24), -12);
    EXPECT_EQ(AnimationLayout::RowTop(1, -12, 24), 0);
    EXPECT_EQ(AnimationLayout::RowGap(768, 0, 24), 768);
    EXPECT_EQ(AnimationLayout::RowGap(768, -1, 24), 768);
}

TEST(Intro, PictureIsCentredAndMayOverhangASmallWindow)
{
    const POINT origin = AnimationLayout::IntroOrigin(1024, 768, 281, 364);
    EXPECT_EQ(origin.x, 372);
    EXPECT_EQ(origin.y, 202);
    EXPECT_EQ(AnimationLayout::IntroOrigin(1023, 768, 281, 364).x, 371);
    EXPECT_EQ(AnimationLayout::IntroOrigin(401, 300, 281, 364).y, -32);
    EXPECT_TRUE(AnimationLayout::ShowsIntro(401));
    EXPECT_FALSE(AnimationLayout::ShowsIntro(400));
}

TEST(RowChoices, CapacityLeavesTwentyPixelsRoundEveryLineAndTheListEndsAtThePairsOrIt)
{
    EXPECT_EQ(CDisplayPage::LineCapacity(768, 24), 17);
    EXPECT_EQ(CDisplayPage::LineCapacity(768, 35), 13);
    EXPECT_EQ(CDisplayPage::LineCapacity(768, 800), 0);
    EXPECT_EQ(CDisplayPage::LineCapacity(10, 5), 0);
    const int choices[][3] = {{0, 12, 12}, {3, 12, 3}, {20, 12, 12}, {3, 0, 0}, {0, -1, 0}};
    for (const auto &row : choices)
        EXPECT_EQ(CDisplayPage::CountChoices(row[0], row[1]), row[2]) << row[0] << " " << row[1];
}

} // namespace
