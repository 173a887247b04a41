#pragma once

#include "data/SampleStore.h"

#include <QList>

// What the loudest of several sources of one band heard: the shared time axis is cut into bins
// of a fixed width from a common origin, and each bin's row holds, at every frequency step, the
// highest value of any sweep of any source in that bin. Bins no source swept are left out; a
// bin that only gap fillers fell into is a gap filler too.
class LoudestOfAll
{
public:
    // The sweeps of one source in a stretch of its history: [first, last) of its store.
    struct Stretch
    {
        const SampleStore *store = nullptr;
        int first = 0;
        int last = 0;
    };

    // The merged rows of the stretches, each stamped with its bin's start (a multiple of
    // binMs). All stores must have the same number of columns.
    static SampleStore merge(const QList<Stretch> &stretches, qint64 binMs);
};
