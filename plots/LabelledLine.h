#pragma once

#include <qwt_plot_marker.h>

class QColor;
class QFont;

// A horizontal line across a plot, labelled at its left end in white on a translucent box, a
// quarter larger than `font`: the waterfall's time events and the spectrogram's QC pass line.
// The text is shown as typed, never as markup (event texts travel in other people's
// recordings).
class LabelledLine : public QwtPlotMarker
{
public:
    LabelledLine(const QString &text, const QFont &font, const QColor &line);
};
