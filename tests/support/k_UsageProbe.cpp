#include "support/k_UsageProbe.h"

#include <fstream>
#include <string>
#include <sys/resource.h>

namespace
{
double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// VmHWM of /proc/self/status, in MB.
double PeakResidentMb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}
} // namespace

k_UsageProbe::Usage k_UsageProbe::Measure(const std::function<void()>& work)
{
    // "5" resets the peak resident size to the current one.
    std::ofstream("/proc/self/clear_refs") << "5";
    const double start = CpuSeconds();
    work();
    return {CpuSeconds() - start, PeakResidentMb()};
}
