#include "HeapTrim.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace corvane::HeapTrim
{

void giveBack()
{
#if defined(__GLIBC__)
    // Every arena, not only the calling thread's.
    ::malloc_trim(0);
#endif
}

} // namespace corvane::HeapTrim
