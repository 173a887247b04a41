#include "TimeScaleDraw.h"

#include <QDateTime>

QwtText TimeScaleDraw::label(double value) const
{
    return QwtText(QDateTime::fromMSecsSinceEpoch(qint64(value)).time().toString(Qt::TextDate));
}
