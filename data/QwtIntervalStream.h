#pragma once

#include <qwt_interval.h>

class QDataStream;

// The plotting library's interval as minimum (f64), maximum (f64), border flags (i32).
QDataStream &operator<<(QDataStream &out, const QwtInterval &interval);
QDataStream &operator>>(QDataStream &in, QwtInterval &interval);
