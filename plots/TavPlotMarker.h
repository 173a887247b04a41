#pragma once

#include <qwt_plot_marker.h>

// A plot marker whose label wraps into a block at most labelWidth pixels wide: when the
// measured text is wider, the label is drawn labelWidth wide and as many lines high as the
// text needs (a text with the word-wrap render flag then wraps inside). labelWidth 0 means
// no limit.
class TavPlotMarker : public QwtPlotMarker
{
public:
    explicit TavPlotMarker(const QString &title = QString());

    void setLabelWidth(double width) { m_labelWidth = width; }
    double labelWidth() const { return m_labelWidth; }

    // The size the label is laid out with, from the text's measured size.
    QSizeF wrappedSize(const QSizeF &textSize) const;
    // Where the label is drawn on a canvas for the marker at pos (pixels), its text measured
    // in font unless it has its own; empty when there is no text.
    QRectF labelRect(const QFont &font, const QRectF &canvasRect, const QPointF &pos) const;

protected:
    void drawLabel(QPainter *painter, const QRectF &canvasRect, const QPointF &pos) const override;

private:
    bool layoutLabel(const QFont &font, const QRectF &canvasRect, const QPointF &pos,
                     QPointF *origin, QSizeF *size) const;

    double m_labelWidth = 0.0;
};
