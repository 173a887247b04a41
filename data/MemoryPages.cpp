#include "MemoryPages.h"

#include <sys/mman.h>
#include <unistd.h>

void MemoryPages::populate([[maybe_unused]] char *data, [[maybe_unused]] qsizetype size)
{
#ifdef MADV_POPULATE_WRITE
    const quintptr page = quintptr(sysconf(_SC_PAGESIZE));
    const quintptr first = (quintptr(data) + page - 1) & ~(page - 1);
    const quintptr end = (quintptr(data) + quintptr(size)) & ~(page - 1);
    if (end > first)
        madvise(reinterpret_cast<void *>(first), end - first, MADV_POPULATE_WRITE);
#endif
}
