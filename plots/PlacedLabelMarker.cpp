#include "PlacedLabelMarker.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <qwt_scale_map.h>

namespace {

// How many steps of one box height a label may move away from its own place, on either side.
constexpr int k_maxSteps = 8;
// The shortened texts keep about these parts of the whole text's width.
constexpr double k_shortenings[] = {0.6, 0.35};
// A shortened text keeps at least this many characters besides the ellipsis.
constexpr int k_minKept = 3;

} // namespace

PlacedLabelMarker::PlacedLabelMarker(const QString &title)
    : QwtPlotMarker(title)
{ }

QStringList PlacedLabelMarker::texts(const QFont &font) const
{
    const QString whole = label().text();
    QStringList all{whole};
    if (!m_elidable)
        return all;
    const QFontMetricsF metrics(label().usedFont(font));
    const double width = metrics.horizontalAdvance(whole);
    for (const double part : k_shortenings) {
        const QString shortened = metrics.elidedText(whole, Qt::ElideRight, width * part);
        if (shortened.size() > k_minKept && !all.contains(shortened))
            all.append(shortened);
    }
    return all;
}

QSizeF PlacedLabelMarker::boxSize(const QString &text, const QFont &font) const
{
    QwtText shown = label();
    if (text != shown.text())
        shown.setText(text, QwtText::PlainText);
    return shown.textSize(font) + m_padding;
}

QRectF PlacedLabelMarker::ownBox(const QSizeF &size, const QPointF &pos) const
{
    const double top = (labelAlignment() & Qt::AlignBottom) ? pos.y() + m_distance
                                                            : pos.y() - m_distance - size.height();
    return QRectF(pos.x() - size.width() / 2.0, top, size.width(), size.height());
}

bool PlacedLabelMarker::placementRequest(const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                                         const QRectF &canvasRect, const QFont &font,
                                         LabelPlacement::Request *request) const
{
    if (label().isEmpty() || canvasRect.isEmpty())
        return false;
    const QPointF pos(xMap.transform(xValue()), yMap.transform(yValue()));
    const QStringList all = texts(font);
    request->widths.clear();
    for (const QString &text : all)
        request->widths.append(boxSize(text, font).width());
    const QRectF own = ownBox(boxSize(all.first(), font), pos);
    const double h = own.height();
    request->height = h;
    request->centre = own.center().x();
    request->top = own.top();

    request->minCentre = request->maxCentre = request->centre;
    if (m_slideRange.isValid()) {
        const double a = xMap.transform(m_slideRange.minValue());
        const double b = xMap.transform(m_slideRange.maxValue());
        request->minCentre = std::min({a, b, request->centre});
        request->maxCentre = std::max({a, b, request->centre});
    }

    // The band the box stays in, in pixels.
    double bandTop = canvasRect.top();
    double bandBottom = canvasRect.bottom();
    if (m_verticalRange.isValid()) {
        const double a = yMap.transform(m_verticalRange.minValue());
        const double b = yMap.transform(m_verticalRange.maxValue());
        bandTop = std::max(bandTop, std::min(a, b));
        bandBottom = std::min(bandBottom, std::max(a, b));
    }
    const auto fits
        = [&](double top) { return top >= bandTop - 0.5 && top + h <= bandBottom + 0.5; };
    // Further away on its own side, or on the other side without straddling the position.
    const bool below = labelAlignment() & Qt::AlignBottom;
    const double pitch = h + LabelPlacement::k_gap;
    const double otherTop = below ? pos.y() - m_distance - h : pos.y() + m_distance;
    request->tops.clear();
    for (int k = 0; k < k_maxSteps; ++k) {
        const double away = below ? own.top() + k * pitch : own.top() - k * pitch;
        const double other = below ? otherTop - k * pitch : otherTop + k * pitch;
        if (fits(away))
            request->tops.append(away);
        if (fits(other))
            request->tops.append(other);
    }
    // With no room in the band, the box goes as near its own place as the band allows.
    if (request->tops.isEmpty())
        request->tops.append(std::max(bandTop, std::min(own.top(), bandBottom - h)));
    request->mandatory = !m_elidable || m_neverLeftOut;
    return true;
}

void PlacedLabelMarker::setPlacedBox(const QRectF &canvasRect, const QRectF &box)
{
    m_placedFor = canvasRect;
    m_placedBox = box;
}

void PlacedLabelMarker::drawLabel(QPainter *painter, const QRectF &canvasRect,
                                  const QPointF &pos) const
{
    m_drawnBox = QRectF();
    QwtText text = label();
    if (text.isEmpty())
        return;
    const QFont font = painter->font();
    const QStringList all = texts(font);
    QRectF box;
    if (!m_placedFor.isNull() && m_placedFor == canvasRect)
        box = m_placedBox;
    else
        box = ownBox(boxSize(all.first(), font), pos);
    if (box.isEmpty())
        return;
    // The longest text that the box was found for.
    for (const QString &candidate : all) {
        if (boxSize(candidate, font).width() <= box.width() + 0.5) {
            if (candidate != text.text())
                text.setText(candidate, QwtText::PlainText);
            break;
        }
    }
    text.draw(painter, box);
    m_drawnBox = box;
}
