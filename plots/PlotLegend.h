#pragma once

#include <QList>
#include <QString>

class QWidget;
class QwtColorMap;

// The colour legend inside a plot's canvas: a title above a vertical colour bar with its
// scale on the leading side, at the right edge of the canvas in its upper third. Takes
// ownership of colorMap. Returns the legend's widgets, which what is drawn on the canvas may
// keep clear of.
QList<QWidget *> addCanvasLegend(QWidget *canvas, const QString &title, QwtColorMap *colorMap,
                                 double min, double max, double value);
