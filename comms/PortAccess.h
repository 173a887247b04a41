#pragma once

#include <QString>

// Whether this user may open a serial port. A port that exists but cannot be opened for lack of
// permission is the commonest trap on Linux: the system only says "Permission denied", and the
// connection would merely time out. The text tells what to do instead.
class PortAccess
{
public:
    // For a port (a name under /dev, or a path) that exists but that this process may not read
    // and write: what to tell the user. Empty when the port may be opened, or does not exist
    // (whatever else goes wrong is reported when it is opened).
    static QString permissionProblem(const QString &portName);
};
