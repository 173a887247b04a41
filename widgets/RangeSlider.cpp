#include "RangeSlider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

RangeSlider::RangeSlider(QWidget *parent)
    : RangeSlider(Qt::Horizontal, NoHandle, parent)
{ }

RangeSlider::RangeSlider(Qt::Orientation orientation, Options options, QWidget *parent)
    : QWidget(parent)
    , m_orientation(orientation)
    , m_options(options)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

QSize RangeSlider::minimumSizeHint() const
{
    return QSize(32, 15);
}

int RangeSlider::length() const
{
    return m_orientation == Qt::Horizontal ? width() : height();
}

int RangeSlider::across() const
{
    return m_orientation == Qt::Horizontal ? height() : width();
}

int RangeSlider::travel() const
{
    const bool both = hasLowerHandle() && hasUpperHandle();
    return length() - (both ? 2 * k_handleSize + 2 * k_margin : k_handleSize + 2 * k_margin);
}

int RangeSlider::position(qint64 value) const
{
    if (m_interval == 0)
        return 0;
    return int(std::trunc(double(travel()) * double(value - m_minimum) / double(m_interval)));
}

int RangeSlider::lowerHandleAlong() const
{
    return position(m_lowerValue) + k_margin;
}

int RangeSlider::upperHandleAlong() const
{
    return position(m_upperValue) + (hasLowerHandle() ? k_handleSize + k_margin : k_margin);
}

QRectF RangeSlider::oriented(double along, double acrossPos, double alongSize,
                             double acrossSize) const
{
    if (m_orientation == Qt::Horizontal)
        return QRectF(along, acrossPos, alongSize, acrossSize);
    return QRectF(acrossPos, along, acrossSize, alongSize);
}

QRectF RangeSlider::barRect() const
{
    return oriented(k_margin, (across() - k_barThickness) / 2, length() - 2 * k_margin,
                    k_barThickness);
}

QRect RangeSlider::lowerHandleRect() const
{
    return oriented(lowerHandleAlong(), (across() - k_handleSize) / 2, k_handleSize, k_handleSize)
        .toRect();
}

QRect RangeSlider::upperHandleRect() const
{
    return oriented(upperHandleAlong(), (across() - k_handleSize) / 2, k_handleSize, k_handleSize)
        .toRect();
}

QRectF RangeSlider::selectionRect() const
{
    const double first = lowerHandleAlong() + (hasLowerHandle() ? k_handleSize : 0) + 0.5;
    const double last = upperHandleAlong() + (hasUpperHandle() ? 0 : k_handleSize) - 0.5;
    return oriented(first, (across() - k_barThickness) / 2, last - first, k_barThickness);
}

void RangeSlider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Qt4CompatiblePainting);
    painter.setPen(
        QPen(QColor(0xa0, 0xa0, 0xa4), 0.8, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.setBrush(QColor(0xd0, 0xd0, 0xd0));
    painter.drawRoundedRect(barRect(), 1, 1);

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 0.5));
    painter.setBrush(QColor(0xfa, 0xfa, 0xfa));
    if (hasLowerHandle())
        painter.drawRoundedRect(lowerHandleRect(), 2, 2);
    if (hasUpperHandle())
        painter.drawRoundedRect(upperHandleRect(), 2, 2);

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(selectionRect(), m_currentColor);

    // The keyboard's place, in the highlight colour the dark style gives focused widgets.
    if (hasFocus()) {
        painter.setPen(QPen(QColor(0x1a, 0x72, 0xbb), 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void RangeSlider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint point = event->localPos().toPoint();
    const int pos = m_orientation == Qt::Horizontal ? point.x() : point.y();
    const int acrossPos = m_orientation == Qt::Horizontal ? point.y() : point.x();

    if (hasUpperHandle() && upperHandleRect().contains(point))
        m_secondHandlePressed = true;
    else if (hasLowerHandle() && lowerHandleRect().contains(point))
        m_firstHandlePressed = true;
    if (!m_firstHandlePressed && !m_secondHandlePressed)
        m_selectionPressed = selectionRect().contains(point);

    if (m_firstHandlePressed) {
        m_pressOffset = pos - position(m_lowerValue) - 8;
    } else if (m_secondHandlePressed) {
        m_pressOffset = pos - upperHandleAlong() - 7;
    } else if (m_selectionPressed) {
        const QRectF selection = selectionRect();
        const double first = m_orientation == Qt::Horizontal ? selection.left() : selection.top();
        m_pressOffset = pos - qRound(first);
    }

    // A click beside the handles steps a value by a tenth of the range.
    if (m_options == NoHandle || m_firstHandlePressed || m_secondHandlePressed)
        return;
    if (acrossPos < 2 || acrossPos > across() - 2)
        return;
    const qint64 step = m_interval < 10 ? 1 : m_interval / 10;
    if (hasLowerHandle() && pos <= position(m_lowerValue)) {
        setLowerValue(m_lowerValue - step);
    } else if (hasUpperHandle() && pos > upperHandleAlong() + k_handleSize) {
        setUpperValue(m_upperValue + step);
    } else if (hasLowerHandle() && hasUpperHandle()) {
        const double middle = (lowerHandleAlong() + k_handleSize + upperHandleAlong()) / 2.0;
        if (pos < middle)
            setLowerValue(qMin(m_lowerValue + step, m_upperValue));
        else
            setUpperValue(qMax(m_upperValue - step, m_lowerValue));
    } else if (hasLowerHandle()) {
        setLowerValue(qMin(m_lowerValue + step, m_upperValue));
    } else {
        setUpperValue(qMax(m_upperValue - step, m_lowerValue));
    }
}

void RangeSlider::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint point = event->localPos().toPoint();
    const int pos = m_orientation == Qt::Horizontal ? point.x() : point.y();

    if (m_options == NoHandle) {
        if (selectionRect().contains(point))
            setCursor(m_orientation == Qt::Horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor);
        else if (!(event->buttons() & Qt::LeftButton))
            setCursor(Qt::ArrowCursor);
    }

    const int l = travel();
    if (l <= 0)
        return;
    const auto valueAt = [&](double offset) {
        return qint64(std::trunc(double(m_minimum) + double(m_interval) * offset / l));
    };
    if (m_firstHandlePressed) {
        if (pos - m_pressOffset + 7 <= upperHandleAlong())
            setLowerValue(valueAt(pos - m_pressOffset - 8));
        else
            setLowerValue(m_upperValue);
    } else if (m_secondHandlePressed) {
        const bool both = hasLowerHandle() && hasUpperHandle();
        if (pos - m_pressOffset >= position(m_lowerValue) + 1 + (both ? 22.5 : 7.5))
            setUpperValue(valueAt(pos - m_pressOffset - (both ? 23 : 8)));
        else
            setUpperValue(m_lowerValue);
    } else if (m_selectionPressed && m_options == NoHandle) {
        const double newLower
            = double(m_minimum) + double(m_interval) * (pos - m_pressOffset - 1) / l;
        moveSelection(std::llround(newLower));
    }
}

// Puts the selection's lower value at newLower keeping its width, within the range.
void RangeSlider::moveSelection(qint64 newLower)
{
    const qint64 w = m_upperValue - m_lowerValue;
    qint64 lower;
    qint64 upper;
    if (newLower < m_minimum) {
        lower = m_minimum;
        upper = qMin(m_minimum + w, m_maximum);
    } else if (newLower + w <= m_maximum) {
        lower = newLower;
        upper = newLower + w;
    } else {
        lower = qMax(m_maximum - w, m_minimum);
        upper = m_maximum;
    }
    setLowerValue(lower);
    setUpperValue(upper);
}

void RangeSlider::mouseReleaseEvent(QMouseEvent *)
{
    m_firstHandlePressed = false;
    m_secondHandlePressed = false;
    m_selectionPressed = false;
}

void RangeSlider::wheelEvent(QWheelEvent *event)
{
    const QPoint angle = event->angleDelta();
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    qint64 step = m_interval / 20;
    if (delta < 1)
        step = -step;
    const qint64 w = m_upperValue - m_lowerValue;
    if (m_lowerValue + step < m_minimum) {
        setLowerValue(m_minimum);
        setUpperValue(qMin(m_minimum + w, m_maximum));
    } else if (m_upperValue + step > m_maximum) {
        setLowerValue(qMax(m_maximum - w, m_minimum));
        setUpperValue(m_maximum);
    } else {
        setLowerValue(m_lowerValue + step);
        setUpperValue(m_upperValue + step);
    }
    update();
}

void RangeSlider::keyPressEvent(QKeyEvent *event)
{
    const qint64 window = qMax<qint64>(1, m_upperValue - m_lowerValue);
    const qint64 tenth = qMax<qint64>(1, window / 10);
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        moveSelection(m_lowerValue - tenth);
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        moveSelection(m_lowerValue + tenth);
        break;
    case Qt::Key_PageUp:
        moveSelection(m_lowerValue - window);
        break;
    case Qt::Key_PageDown:
        moveSelection(m_lowerValue + window);
        break;
    case Qt::Key_Home:
        moveSelection(m_minimum);
        break;
    case Qt::Key_End:
        moveSelection(m_maximum);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    update();
}

void RangeSlider::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        m_currentColor = isEnabled() ? m_enabledColor : m_disabledColor;
        update();
    }
    QWidget::changeEvent(event);
}

void RangeSlider::setLowerValue(qint64 lowerValue)
{
    const qint64 value = qBound(m_minimum, lowerValue, m_maximum);
    if (value != m_lowerValue) {
        m_lowerValue = value;
        emit lowerValueChanged(value);
    }
    update();
}

void RangeSlider::setUpperValue(qint64 upperValue)
{
    const qint64 value = qBound(m_minimum, upperValue, m_maximum);
    if (value != m_upperValue) {
        m_upperValue = value;
        emit upperValueChanged(value);
    }
    update();
}

void RangeSlider::setMinimum(qint64 minimum)
{
    if (minimum == m_minimum)
        return;
    if (minimum <= m_maximum) {
        m_minimum = minimum;
    } else {
        m_minimum = m_maximum;
        m_maximum = minimum;
    }
    adjustValuesToRange();
}

void RangeSlider::setMaximum(qint64 maximum)
{
    if (maximum == m_maximum)
        return;
    if (maximum >= m_minimum) {
        m_maximum = maximum;
    } else {
        m_maximum = m_minimum;
        m_minimum = maximum;
    }
    adjustValuesToRange();
}

void RangeSlider::setRange(qint64 minimum, qint64 maximum)
{
    setMinimum(minimum);
    setMaximum(maximum);
}

// After a change of the range: both values back inside it, then rangeChanged.
void RangeSlider::adjustValuesToRange()
{
    m_interval = m_maximum - m_minimum;
    if (m_lowerValue < m_minimum || m_lowerValue > m_maximum)
        setLowerValue(m_lowerValue);
    if (m_upperValue > m_maximum || m_upperValue < m_minimum)
        setUpperValue(m_upperValue);
    emit rangeChanged(m_minimum, m_maximum);
    update();
}
