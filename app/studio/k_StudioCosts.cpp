#include "app/studio/k_StudioCosts.h"

#include <algorithm>

k_StudioCosts::k_StudioCosts(size_t capacity) : m_capacity(std::max<size_t>(1, capacity))
{
    m_costs.reserve(std::min(m_capacity, DefaultCapacity));
}

void k_StudioCosts::Add(double milliseconds)
{
    if (m_costs.size() < m_capacity)
    {
        m_costs.push_back(milliseconds);
        return;
    }
    m_costs[m_next] = milliseconds;
    m_next = (m_next + 1) % m_capacity;
}

double k_StudioCosts::GetMedian() const
{
    if (m_costs.empty())
        return 0.0;
    std::vector<double> costs = m_costs;
    const auto middle = costs.begin() + static_cast<long>(costs.size() / 2);
    std::nth_element(costs.begin(), middle, costs.end());
    return *middle;
}
