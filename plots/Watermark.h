#pragma once

#include <QPixmap>

class QwtPlot;

// A snapshot of a plot with the program's watermark faintly in the top left corner of its
// canvas, an eighth of the canvas high.
class Watermark
{
public:
    // `shot` is the plot's picture (the plot's grab, possibly with more drawn under it).
    static QPixmap over(const QPixmap &shot, const QwtPlot *plot);
};
