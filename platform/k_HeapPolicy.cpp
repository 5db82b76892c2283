#include "platform/k_HeapPolicy.h"

#include <malloc.h>

bool k_HeapPolicy::KeepLargeBlocksApart()
{
#if defined(__GLIBC__)
    // Setting the threshold also turns off glibc's raising of it.
    return mallopt(M_MMAP_THRESHOLD, k_LargeBlockBytes) == 1;
#else
    return false;
#endif
}
