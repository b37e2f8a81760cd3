#include "Allocator.h"

#include <cstdlib> // defines __GLIBC__ on glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void tuneAllocator()
{
#if defined(__GLIBC__)
    // A fixed threshold also stops glibc from moving it.
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
#endif
}

void releaseFreeMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
