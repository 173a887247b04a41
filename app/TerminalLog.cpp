#include "TerminalLog.h"

#include <QLoggingCategory>
#include <QString>

void TerminalLog::apply(bool debug)
{
    QLoggingCategory::setFilterRules(
        debug ? QStringLiteral("quorvex.*.debug=true\nquorvex.*.info=true")
              : QStringLiteral("*.debug=false\n*.info=false"));
}
