#include "platform/k_PerformanceCounter.h"

#include <SDL.h>

int64_t k_PerformanceCounter::Read()
{
    return static_cast<int64_t>(SDL_GetPerformanceCounter());
}

int64_t k_PerformanceCounter::Frequency()
{
    return static_cast<int64_t>(SDL_GetPerformanceFrequency());
}
