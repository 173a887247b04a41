#include "LabelledLine.h"

#include <QBrush>
#include <QFont>
#include <QPen>
#include <qwt_text.h>

LabelledLine::LabelledLine(const QString &text, const QFont &font, const QColor &line)
{
    setRenderHint(QwtPlotItem::RenderAntialiased, true);
    setLineStyle(QwtPlotMarker::HLine);
    setLinePen(line, 2.0, Qt::SolidLine);
    QwtText label(text, QwtText::PlainText);
    label.setBorderRadius(2.0);
    label.setColor(Qt::white);
    label.setBackgroundBrush(QBrush(QColor(255, 255, 255, 64), Qt::SolidPattern));
    QFont labelFont = font;
    if (labelFont.pointSize() > 0)
        labelFont.setPointSize(int(labelFont.pointSize() * 1.25));
    label.setFont(labelFont);
    setLabel(label);
    setLabelAlignment(Qt::AlignLeft | Qt::AlignBottom);
}
