#pragma once

#include <QtGlobal>

// The per-axis arithmetic of the matrix resampling modes. A mode's value at (x, y) depends on
// x only through the column taps and on y only through the row taps, so the plots' fast
// renderer computes each once per image column and once per image row, and the rasters' own
// value() uses the same functions: both read the same cells with the same weights.
//
// Positions are plot coordinates inside the axis interval [min, min + count * step]; qRound
// is the framework's rounding (halves away from zero, its own rule for negative values).
namespace RasterInterpolation {

// Linear interpolation between the centres of two neighbouring cells:
// value = weight * V[first] + (1 - weight) * V[second].
struct LinearTaps
{
    int first = 0;
    int second = 0;
    double weight = 1.0;
};

inline LinearTaps linearTaps(double pos, double min, double step, int count)
{
    LinearTaps taps;
    const int i = qRound((pos - min) / step);
    if (i < 1) {
        taps.first = taps.second = i;
    } else {
        taps.first = i - 1;
        taps.second = i < count ? i : taps.first;
    }
    taps.weight = (min + (taps.second + 0.5) * step - pos) / step;
    return taps;
}

// Catmull-Rom (tension -0.5) over four cells a, b, c, d; t runs from 0 at b's centre to 1 at
// c's centre.
struct CubicTaps
{
    int a = 0;
    int b = 0;
    int c = 0;
    int d = 0;
    double t = 0.0;
};

inline CubicTaps cubicTaps(double pos, double min, double step, int count)
{
    CubicTaps taps;
    const int n = qRound((pos - min) / step);
    taps.b = n > 0 ? n - 1 : n;
    taps.c = n < count ? n : n - 1;
    taps.a = n < 2 ? n + 1 : n - 2;
    taps.d = n + 1 < count ? n + 1 : taps.a;
    taps.t = 1.0 - (min + (taps.c + 0.5) * step - pos) / step;
    // With fewer than three cells the rule above points past the last cell; stay inside.
    const int last = count - 1;
    taps.a = qBound(0, taps.a, last);
    taps.b = qBound(0, taps.b, last);
    taps.c = qBound(0, taps.c, last);
    taps.d = qBound(0, taps.d, last);
    return taps;
}

inline double cubic(double a, double b, double c, double d, double t)
{
    return b + 0.5 * t * (c - a) + t * t * (a - 2.5 * b + 2.0 * c - 0.5 * d)
        + t * t * t * (1.5 * (b - c) + 0.5 * (d - a));
}

// The four weights of cubic() for one t: cubic(a, b, c, d, t) == wa*a + wb*b + wc*c + wd*d.
struct CubicWeights
{
    double wa, wb, wc, wd;
};

inline CubicWeights cubicWeights(double t)
{
    const double t2 = t * t;
    const double t3 = t2 * t;
    return {-0.5 * t + t2 - 0.5 * t3, 1.0 - 2.5 * t2 + 1.5 * t3, 0.5 * t + 2.0 * t2 - 1.5 * t3,
            -0.5 * t2 + 0.5 * t3};
}

// The cell whose centre is nearer, among the two around pos, and the offset of its centre.
struct DotTap
{
    int index = 0;
    double offset = 0.0; // cell centre - pos
};

inline DotTap dotTap(double pos, double min, double step, int count)
{
    const int i = qRound((pos - min) / step);
    int first = i;
    int second = i;
    if (i > 0) {
        first = i - 1;
        second = i < count ? i : i - 1;
    }
    DotTap tap;
    tap.index = qAbs(min + (first + 0.5) * step - pos) < step / 2.0 ? first : second;
    tap.offset = min + (tap.index + 0.5) * step - pos;
    return tap;
}

// Truncating cell index, with a point on the interval's maximum in the last cell.
inline int nearestIndex(double pos, double min, double step, int count)
{
    return qMin(int((pos - min) / step), count - 1);
}

} // namespace RasterInterpolation
