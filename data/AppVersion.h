#pragma once

#include <QString>

// The release's version ("1.0.0.9.0.281"), set once as QUORVEX_VERSION in the top-level
// CMakeLists.txt: the About box, the status bar, each program's --version, the recordings'
// journals and the Debian package all show this one text.
class AppVersion
{
public:
    static QString text();
};
