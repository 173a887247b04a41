#pragma once

#include <QtGlobal>

// The pages of memory a large array is about to fill.
class MemoryPages
{
public:
    // Maps the whole pages of [data, data + size) at once, in one call, rather than one fault
    // at a time as they are first written: several times faster for fresh memory of many
    // megabytes. Nothing happens where the system cannot.
    static void populate(char *data, qsizetype size);
};
