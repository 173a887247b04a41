#include "SensorInfo.h"

#include <QCoreApplication>

QString SensorInfo::clockWarning() const
{
    if (!clockKnown || qAbs(clockOffsetMs) <= k_clockWarningMs)
        return QString();
    const QString seconds = QString::number(qAbs(clockOffsetMs) / 1000.0, 'f', 1);
    return clockOffsetMs > 0
        ? QCoreApplication::translate("SensorInfo",
                                      "the sensor's clock is %1 s ahead: run a time service on it")
              .arg(seconds)
        : QCoreApplication::translate("SensorInfo",
                                      "the sensor's clock is %1 s behind: run a time service on it")
              .arg(seconds);
}
