#include "MarkerLayer.h"

#include "PlacedLabelMarker.h"
#include "SpectroPlot.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <qwt_plot_canvas.h>
#include <qwt_plot_marker.h>
#include <qwt_symbol.h>

namespace {

const QColor k_markerColor(255, 176, 32);
// The numbers hang from the canvas's top: on the right axis (never shown), whose 1 is the top
// and 0 the bottom whatever the amplitude axis shows.
constexpr QwtPlot::Axis k_numberAxis = QwtPlot::yRight;
// Placed before every other label (VEXA IDs 0, Wi-Fi names 1): those give way to them.
constexpr int k_numberRank = -1;

} // namespace

MarkerLayer::MarkerLayer(SpectroPlot *plot)
    : QObject(plot)
    , m_plot(plot)
    , m_canvas(plot->canvas())
{
    // After the plot's pickers: this filter sees the canvas's events first.
    m_canvas->installEventFilter(this);
    m_plot->setAxisScale(k_numberAxis, 0.0, 1.0);
    m_clickTimer.setSingleShot(true);
    connect(&m_clickTimer, &QTimer::timeout, this, &MarkerLayer::onSingleClick);
}

// The markers are attached to the plot, which deletes them (before its children go).
MarkerLayer::~MarkerLayer() = default;

void MarkerLayer::show(const QList<Item> &items, int selected)
{
    while (m_markers.size() > items.size()) {
        delete m_markers.takeLast();
        delete m_numbers.takeLast();
    }
    while (m_markers.size() < items.size()) {
        auto *marker = new QwtPlotMarker(QString());
        marker->setLineStyle(QwtPlotMarker::VLine);
        marker->setRenderHint(QwtPlotItem::RenderAntialiased, true);
        // Over the density, the traces and the labels.
        marker->setZ(40.0);
        marker->attach(m_plot);
        m_markers.append(marker);

        // The number on its own, so that it keeps clear of the other labels: at the top of
        // the line, or moved down it (or a little to the side) where another label is.
        auto *number = new PlacedLabelMarker(QString());
        number->setLineStyle(QwtPlotMarker::NoLine);
        number->setLabelAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        number->setRenderHint(QwtPlotItem::RenderAntialiased, true);
        number->setYAxis(k_numberAxis);
        number->setVerticalRange(QwtInterval(0.0, 1.0));
        number->setDistance(1.0);
        number->setPadding(QSizeF(8.0, 2.0));
        number->setPlacementRank(k_numberRank);
        number->setZ(41.0);
        number->attach(m_plot);
        m_numbers.append(number);
    }
    m_items = items;
    const QwtInterval band = m_plot->axisInterval(QwtPlot::xBottom);
    const double slide = band.width() * 0.015;
    for (int i = 0; i < items.size(); ++i) {
        const Item &item = items.at(i);
        const bool isSelected = item.number == selected;
        QwtPlotMarker *marker = m_markers.at(i);
        marker->setValue(item.megahertz, item.hasLevel ? item.level : 0.0);
        marker->setLinePen(k_markerColor, isSelected ? 1.5 : 1.0,
                           isSelected ? Qt::SolidLine : Qt::DashLine);
        marker->setSymbol(item.hasLevel ? new QwtSymbol(QwtSymbol::Diamond, QBrush(k_markerColor),
                                                        QPen(Qt::black, 1.0), QSize(11, 11))
                                        : nullptr);
        QwtText label(QString::number(item.number), QwtText::PlainText);
        QFont font = m_plot->font();
        font.setBold(true);
        label.setFont(font);
        label.setColor(isSelected ? Qt::black : k_markerColor);
        label.setBackgroundBrush(isSelected ? QBrush(k_markerColor) : QBrush(QColor(0, 0, 0, 192)));
        label.setBorderPen(QPen(k_markerColor, 1.0));
        label.setBorderRadius(2.0);
        PlacedLabelMarker *number = m_numbers.at(i);
        number->setValue(item.megahertz, 1.0);
        number->setSlideRange(QwtInterval(item.megahertz - slide, item.megahertz + slide));
        number->setLabel(label);
    }
}

double MarkerLayer::megahertzAt(const QPointF &pixel) const
{
    return m_plot->invTransform(QwtPlot::xBottom, pixel.x());
}

int MarkerLayer::markerAt(const QPointF &pixel) const
{
    int nearest = 0;
    double best = k_grabPixels + 0.5;
    for (const Item &item : m_items) {
        const double distance
            = qAbs(m_plot->transform(QwtPlot::xBottom, item.megahertz) - pixel.x());
        if (distance < best) {
            best = distance;
            nearest = item.number;
        }
    }
    return nearest;
}

bool MarkerLayer::eventFilter(QObject *watched, QEvent *event)
{
    // The canvas's events reach here also while the plot is being destroyed: only the mouse and
    // keys (which cannot come then) touch the plot.
    if (watched != m_canvas)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || mouse->modifiers() != Qt::NoModifier)
            return false;
        m_canvas->setFocus(Qt::MouseFocusReason);
        m_swallowRelease = true;
        if (const int number = markerAt(mouse->localPos())) {
            m_clickTimer.stop();
            m_dragging = number;
            emit selectRequested(number);
            return true;
        }
        // A label waits for the time of a double-click: the press may be the first of one.
        m_clickPixel = mouse->localPos();
        m_clickTimer.start(QApplication::doubleClickInterval());
        return true;
    }
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_dragging && (mouse->buttons() & Qt::LeftButton))
            emit dragged(m_dragging, megahertzAt(mouse->localPos()));
        return false; // the read-out follows the mouse
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || !m_swallowRelease)
            return false;
        m_dragging = 0;
        m_swallowRelease = false;
        return true;
    }
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        m_clickTimer.stop();
        m_dragging = 0;
        m_swallowRelease = true;
        m_canvas->setFocus(Qt::MouseFocusReason);
        // On a marker's line it is that marker's, not a second one at the same place.
        if (const int number = markerAt(mouse->localPos()))
            emit selectRequested(number);
        else
            emit placeRequested(megahertzAt(mouse->localPos()));
        return true;
    }
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (m_items.isEmpty())
            return false;
        const int stride = key->modifiers() & Qt::ShiftModifier ? 10 : 1;
        if (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) {
            emit stepRequested(key->key() == Qt::Key_Left ? -stride : stride);
            return true;
        }
        if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) {
            emit removeRequested();
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

void MarkerLayer::onSingleClick()
{
    const QPointF at(m_plot->invTransform(QwtPlot::xBottom, m_clickPixel.x()),
                     m_plot->invTransform(QwtPlot::yLeft, m_clickPixel.y()));
    m_plot->onLeftClick(at);
}
