#include "engine/k_WarmUp.h"

bool k_WarmUp::RedrawsTargets(bool first, double leftBefore, double step)
{
    const double leftAfter = leftBefore - step;
    // The steps of a warm-up are equal but for rounding, so what is left after the last is about one.
    if (first || leftAfter < 1.5 * step)
        return true;
    for (const double mark : Marks)
        if (leftAfter <= mark && mark < leftBefore)
            return true;
    return false;
}
