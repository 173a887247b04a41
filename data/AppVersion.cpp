#include "AppVersion.h"

// QUORVEX_VERSION is given to this file alone by the build, so a new version recompiles only it.
QString AppVersion::text()
{
    return QStringLiteral(QUORVEX_VERSION);
}
