#pragma once
// The overlay's cost a frame in milliseconds, kept over the last frames only (a studio may run for hours), for
// the median said when it ends.
#include <cstddef>
#include <vector>

class k_StudioCosts
{
public:
    // Frames kept at most: the newest replace the oldest.
    static constexpr size_t DefaultCapacity = 4096;

    explicit k_StudioCosts(size_t capacity = DefaultCapacity);

    void Add(double milliseconds);
    bool IsEmpty() const { return m_costs.empty(); }
    // How many frames are kept.
    size_t GetCount() const { return m_costs.size(); }
    // The median of the frames kept (the upper one of an even count); 0 when none is.
    double GetMedian() const;

private:
    size_t m_capacity;
    std::vector<double> m_costs;
    // Where the next cost goes once the capacity is reached.
    size_t m_next = 0;
};
