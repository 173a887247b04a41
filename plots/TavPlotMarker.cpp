#include "TavPlotMarker.h"

#include <QPainter>
#include <qwt_symbol.h>

TavPlotMarker::TavPlotMarker(const QString &title)
    : QwtPlotMarker(title)
{ }

QSizeF TavPlotMarker::wrappedSize(const QSizeF &textSize) const
{
    QSizeF size = textSize;
    if (m_labelWidth > 0.0 && size.width() > m_labelWidth) {
        const int lines = int(size.width() / m_labelWidth + 1);
        size.setHeight(size.height() * lines);
        size.setWidth(m_labelWidth);
    }
    return size;
}

// The library's label placement, with the wrapped size in place of the measured one.
bool TavPlotMarker::layoutLabel(const QFont &font, const QRectF &canvasRect, const QPointF &pos,
                                QPointF *origin, QSizeF *size) const
{
    const QwtText text = label();
    if (text.isEmpty())
        return false;

    Qt::Alignment align = labelAlignment();
    QPointF alignPos = pos;
    QSizeF symbolOff(0, 0);

    switch (lineStyle()) {
    case QwtPlotMarker::VLine:
        // The alignment is relative to the canvas; the y position means nothing.
        if (labelAlignment() & Qt::AlignTop) {
            alignPos.setY(canvasRect.top());
            align &= ~Qt::AlignTop;
            align |= Qt::AlignBottom;
        } else if (labelAlignment() & Qt::AlignBottom) {
            alignPos.setY(canvasRect.bottom() - 1);
            align &= ~Qt::AlignBottom;
            align |= Qt::AlignTop;
        } else {
            alignPos.setY(canvasRect.center().y());
        }
        break;
    case QwtPlotMarker::HLine:
        // Likewise for the x position.
        if (labelAlignment() & Qt::AlignLeft) {
            alignPos.setX(canvasRect.left());
            align &= ~Qt::AlignLeft;
            align |= Qt::AlignRight;
        } else if (labelAlignment() & Qt::AlignRight) {
            alignPos.setX(canvasRect.right() - 1);
            align &= ~Qt::AlignRight;
            align |= Qt::AlignLeft;
        } else {
            alignPos.setX(canvasRect.center().x());
        }
        break;
    default:
        if (symbol() && symbol()->style() != QwtSymbol::NoSymbol) {
            symbolOff = symbol()->size() + QSizeF(1, 1);
            symbolOff /= 2;
        }
    }

    qreal pw2 = linePen().widthF() / 2.0;
    if (pw2 == 0.0)
        pw2 = 0.5;
    const int gap = spacing();
    const qreal xOff = qMax(pw2, symbolOff.width());
    const qreal yOff = qMax(pw2, symbolOff.height());

    const QSizeF textSize = wrappedSize(text.textSize(font));
    const bool vertical = labelOrientation() == Qt::Vertical;

    if (align & Qt::AlignLeft) {
        alignPos.rx() -= xOff + gap;
        alignPos.rx() -= vertical ? textSize.height() : textSize.width();
    } else if (align & Qt::AlignRight) {
        alignPos.rx() += xOff + gap;
    } else {
        alignPos.rx() -= (vertical ? textSize.height() : textSize.width()) / 2;
    }

    if (align & Qt::AlignTop) {
        alignPos.ry() -= yOff + gap;
        if (!vertical)
            alignPos.ry() -= textSize.height();
    } else if (align & Qt::AlignBottom) {
        alignPos.ry() += yOff + gap;
        if (vertical)
            alignPos.ry() += textSize.width();
    } else {
        if (vertical)
            alignPos.ry() += textSize.width() / 2;
        else
            alignPos.ry() -= textSize.height() / 2;
    }

    *origin = alignPos;
    *size = textSize;
    return true;
}

QRectF TavPlotMarker::labelRect(const QFont &font, const QRectF &canvasRect,
                                const QPointF &pos) const
{
    QPointF origin;
    QSizeF size;
    if (!layoutLabel(font, canvasRect, pos, &origin, &size))
        return QRectF();
    // A vertical label is turned a quarter counter-clockwise about its origin.
    if (labelOrientation() == Qt::Vertical)
        return QRectF(origin.x(), origin.y() - size.width(), size.height(), size.width());
    return QRectF(origin, size);
}

void TavPlotMarker::drawLabel(QPainter *painter, const QRectF &canvasRect, const QPointF &pos) const
{
    QPointF origin;
    QSizeF size;
    if (!layoutLabel(painter->font(), canvasRect, pos, &origin, &size))
        return;
    painter->translate(origin.x(), origin.y());
    if (labelOrientation() == Qt::Vertical)
        painter->rotate(-90.0);
    label().draw(painter, QRectF(QPointF(0, 0), size));
}
