#pragma once

#include <qwt_plot_marker.h>

class QFont;

// A white horizontal line across the spectrogram at a pass level, labelled at its left end
// (the QC pass line at -40 dBm).
class PassLineMarker : public QwtPlotMarker
{
public:
    PassLineMarker(const QString &text, double level, const QFont &font);
};
