#include "QuorvexResources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void initResourceSets()
{
    Q_INIT_RESOURCE(style);
    Q_INIT_RESOURCE(icon);
    Q_INIT_RESOURCE(images);
    Q_INIT_RESOURCE(manual);
    Q_INIT_RESOURCE(colors);
}

void QuorvexResources::init()
{
    static bool done = false;
    if (!done) {
        done = true;
        initResourceSets();
    }
}
