#pragma once
// Measures what one piece of work costs the test process: the CPU seconds it
// takes and the peak resident memory of the process while it runs (the peak
// is reset before the work through /proc/self/clear_refs). Limits tests use it
// to show that hostile input is refused cheaply.
#include <functional>

class k_UsageProbe
{
public:
    struct Usage
    {
        double cpuSeconds = 0;
        double peakResidentMb = 0;
    };

    static Usage Measure(const std::function<void()>& work);
};
