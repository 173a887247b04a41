#include "WifiMarker.h"

#include "data/Constants.h"

#include <QPen>

namespace {
// Placed after the labels of rank 0 (the VEXA IDs).
constexpr int k_rank = 1;
} // namespace

WifiMarker::WifiMarker(WifiApInfo ap)
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

    // The box's bottom 5 pixels above the flat top of the outline, its centre over the flat
    // top; never below the outline's foot. Upwards the canvas's top is the bound (0 dBm lies
    // above every received signal).
    const int half = ap.width / 2;
    setSlideRange(QwtInterval(ap.frequency - half + 2, ap.frequency + half - 2));
    setVerticalRange(QwtInterval(Constants::k_nominalMinRssi, 0.0));
    setDistance(5.0);
    setPadding(QSizeF(6.0, 3.0));
    setElidable(true);
    setPlacementRank(k_rank);
}
