#include "WifiMarker.h"

#include <QPainter>

WifiMarker::WifiMarker(WifiApInfo ap)
    : QwtPlotMarker(QString())
{
    setRenderHint(QwtPlotItem::RenderAntialiased, true);
    // Network names come off the air: shown as they are, never interpreted as markup.
    QwtText text(ap.ssid, QwtText::PlainText);
    if (!ap.ssid.isEmpty()) {
        text.setBorderRadius(2.0);
        text.setColor(ap.color);
        text.setBorderPen(QPen(ap.color));
        QColor background = ap.color;
        background.setAlpha(192);
        text.setBackgroundBrush(QBrush(background.darker(500), Qt::SolidPattern));
    }
    setLabel(text);
    setLabelAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setValue(QPointF(ap.frequency, ap.rssi));
    setLineStyle(QwtPlotMarker::NoLine);
}

// Centred on the access point's frequency, the text's bottom 5 pixels above the outline.
void WifiMarker::drawLabel(QPainter *painter, const QRectF &, const QPointF &pos) const
{
    const QwtText text = label();
    const QSizeF size = text.textSize(painter->font());
    const double lift = linePen().widthF() / 2.0 + 5.0;
    painter->translate(pos.x() - size.width() * 0.5, pos.y() - lift - size.height());
    text.draw(painter, QRectF(-5.0, -3.0, size.width() + 5.0, size.height() + 3.0));
}
