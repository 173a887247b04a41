#include "HighlightSpectrogram.h"

#include <QPainter>

void HighlightSpectrogram::draw(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                                const QRectF &canvasRect) const
{
    painter->save();
    painter->setCompositionMode(QPainter::CompositionMode_Multiply);
    TavPlotSpectrogram::draw(painter, xMap, yMap, canvasRect);
    painter->restore();
}
