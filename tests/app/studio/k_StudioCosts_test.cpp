#include "app/studio/k_StudioCosts.h"

#include <gtest/gtest.h>
#include <vector>

// The median of the frames kept; past the capacity only the newest are kept, so the table never grows.
TEST(StudioCosts, KeepsTheNewestFramesAndTellsTheirMedian)
{
    struct Case
    {
        size_t capacity;
        std::vector<double> costs;
        size_t count;
        double median;
    } const cases[] = {
        {4, {}, 0, 0.0},
        {4, {5.0, 1.0, 3.0}, 3, 3.0},
        {4, {2.0, 1.0}, 2, 2.0},                                          // the upper of two
        {4, {1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0, 10.0}, 4, 9.0}, // 7 to 10 kept
        {4, {100.0, 100.0, 100.0, 100.0, 1.0, 1.0, 1.0}, 4, 1.0},         // old slow frames pushed out
        {0, {3.0, 4.0}, 1, 4.0},                                          // at least one is kept
    };
    for (const Case& c : cases)
    {
        k_StudioCosts costs(c.capacity);
        for (const double cost : c.costs)
            costs.Add(cost);
        EXPECT_EQ(costs.GetCount(), c.count) << c.costs.size() << " costs";
        EXPECT_EQ(costs.IsEmpty(), c.count == 0);
        EXPECT_DOUBLE_EQ(costs.GetMedian(), c.median) << c.costs.size() << " costs";
    }
    k_StudioCosts many;
    for (int frame = 0; frame < 100000; ++frame)
        many.Add(frame);
    EXPECT_EQ(many.GetCount(), k_StudioCosts::DefaultCapacity);
}
