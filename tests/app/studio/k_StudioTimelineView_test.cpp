#include "app/studio/k_StudioTimelineView.h"

#include <gtest/gtest.h>

namespace
{
using Interval = k_StudioTimelineView::Interval;
}

TEST(k_StudioTimelineViewTest, TimeAndXMapBothWaysAcrossTheStripsPixels)
{
    k_StudioTimelineView view(200.0);
    view.SetPixels(10.0f, 800.0f);
    EXPECT_FLOAT_EQ(view.TimeToX(0.0), 10.0f);
    EXPECT_FLOAT_EQ(view.TimeToX(200.0), 810.0f);
    EXPECT_FLOAT_EQ(view.TimeToX(50.0), 210.0f);
    EXPECT_DOUBLE_EQ(view.XToTime(210.0f), 50.0);
    for (const double time : {0.0, 12.345, 99.9, 200.0})
        EXPECT_NEAR(view.XToTime(view.TimeToX(time)), time, 1e-4);
    // A click left of the strip or past its end goes to the show's bounds.
    EXPECT_DOUBLE_EQ(view.TimeAt(0.0f), 0.0);
    EXPECT_DOUBLE_EQ(view.TimeAt(900.0f), 200.0);
}

TEST(k_StudioTimelineViewTest, ZoomKeepsTheTimeUnderThePointerAndStaysWithinTheShow)
{
    k_StudioTimelineView view(100.0);
    view.SetPixels(0.0f, 1000.0f);
    const double under = view.XToTime(250.0f);
    view.ZoomAbout(250.0f, 4.0);
    EXPECT_DOUBLE_EQ(view.GetSpan(), 25.0);
    EXPECT_NEAR(view.XToTime(250.0f), under, 1e-9);
    EXPECT_NEAR(view.GetStart(), 25.0 - 6.25, 1e-9);
    // Zoomed in about the left edge, the start stays at 0; zoomed in as far as it goes, the span stops at
    // the least one; zoomed out, it stops at the whole show.
    view.ZoomAbout(0.0f, 2.0);
    EXPECT_NEAR(view.GetStart(), 18.75, 1e-9);
    view.ZoomAbout(500.0f, 1e9);
    EXPECT_DOUBLE_EQ(view.GetSpan(), k_StudioTimelineView::MinSpan);
    view.ZoomAbout(500.0f, 1e-9);
    EXPECT_DOUBLE_EQ(view.GetSpan(), 100.0);
    EXPECT_DOUBLE_EQ(view.GetStart(), 0.0);
    // Zoomed out near the end, the view is held inside the show rather than keeping the pointer's time.
    view.ZoomAbout(999.0f, 10.0);
    EXPECT_NEAR(view.GetStart(), 89.91, 1e-9);
    view.ZoomAbout(0.0f, 0.5);
    EXPECT_NEAR(view.GetStart(), 80.0, 1e-9);
    EXPECT_DOUBLE_EQ(view.GetStart() + view.GetSpan(), 100.0);
    view.ZoomAbout(0.0f, 2.0);
    // Nonsense factors change nothing.
    const double start = view.GetStart();
    view.ZoomAbout(100.0f, 0.0);
    view.ZoomAbout(100.0f, -2.0);
    EXPECT_DOUBLE_EQ(view.GetStart(), start);
    EXPECT_DOUBLE_EQ(view.GetSpan(), 10.0);
}

TEST(k_StudioTimelineViewTest, FollowPagesToATimeOutOfViewAndANewLengthKeepsTheSpan)
{
    k_StudioTimelineView view(100.0);
    view.SetPixels(0.0f, 100.0f);
    view.ZoomAbout(0.0f, 10.0); // [0, 10)
    view.Follow(5.0);
    EXPECT_DOUBLE_EQ(view.GetStart(), 0.0);
    view.Follow(42.0);
    EXPECT_LE(view.GetStart(), 42.0);
    EXPECT_GE(view.GetStart() + view.GetSpan(), 42.0);
    view.Follow(3.0);
    EXPECT_LE(view.GetStart(), 3.0);
    EXPECT_GE(view.GetStart() + view.GetSpan(), 3.0);
    view.SetLength(50.0);
    EXPECT_DOUBLE_EQ(view.GetSpan(), 10.0);
    view.SetLength(5.0);
    EXPECT_DOUBLE_EQ(view.GetSpan(), 5.0);
    EXPECT_DOUBLE_EQ(view.GetStart(), 0.0);
    // A view of the whole show shows the whole of a longer one.
    view.SetLength(80.0);
    EXPECT_DOUBLE_EQ(view.GetSpan(), 80.0);
}

TEST(k_StudioTimelineViewTest, OverlappingIntervalsTakeTheLowestFreeRow)
{
    // Given out of order: rows follow the starts, an interval ending where another starts frees its row.
    const std::vector<Interval> intervals = {{8.0, 11.0}, {0.0, 4.0}, {2.0, 6.0},  {4.0, 5.0},
                                             {3.0, 9.0},  {6.0, 7.0}, {20.0, 21.0}};
    const std::vector<int> rows = k_StudioTimelineView::LayoutRows(intervals);
    EXPECT_EQ(rows, (std::vector<int>{0, 0, 1, 0, 2, 0, 0}));
    // No two intervals on a row overlap.
    for (size_t a = 0; a < intervals.size(); ++a)
        for (size_t b = a + 1; b < intervals.size(); ++b)
        {
            if (rows[a] == rows[b])
            {
                EXPECT_TRUE(intervals[a].end <= intervals[b].start || intervals[b].end <= intervals[a].start)
                    << a << " and " << b;
            }
        }
    EXPECT_TRUE(k_StudioTimelineView::LayoutRows({}).empty());
    // Equal intervals each take a row of their own.
    EXPECT_EQ(k_StudioTimelineView::LayoutRows({{1.0, 2.0}, {1.0, 2.0}, {1.0, 2.0}}), (std::vector<int>{0, 1, 2}));
}
