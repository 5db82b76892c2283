#pragma once
// The high-resolution counter that times the frames.
#include <cstdint>

class k_PerformanceCounter
{
public:
    // The counter's current value in ticks.
    static int64_t Read();
    // Ticks per second.
    static int64_t Frequency();
};
