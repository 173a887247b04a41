#include "VexaIdOverlay.h"

#include "data/Constants.h"
#include "plots/PlacedLabelMarker.h"

#include <QLinearGradient>
#include <QPen>
#include <algorithm>
#include <qwt_plot.h>
#include <qwt_plot_shapeitem.h>
#include <qwt_text.h>

namespace {
constexpr double k_levelStep = 4.0; // dB between two stacking levels
}

const QMap<QString, QColor> VexaIdOverlay::k_colorList{
    {"Low", QColor("#00FF00")}, {"Mid", QColor("#FFCC00")},  {"High", QColor("#00FFFF")},
    {"Max", QColor("#FF0066")}, {"Full", QColor("#FF00FF")}, {"Adaptive", QColor("#FF6600")},
};

VexaIdOverlay::VexaIdOverlay(QwtPlot *plot)
    : m_plot(plot)
{
    m_replotTimer.setSingleShot(true);
    m_replotTimer.setInterval(0);
    QObject::connect(&m_replotTimer, &QTimer::timeout, [this] {
        if (m_plot)
            m_plot->replot();
    });
}

VexaIdOverlay::~VexaIdOverlay()
{
    deletePlotItems();
}

void VexaIdOverlay::showVexaIds(QList<int> ids)
{
    if (m_inBand)
        ids.erase(std::remove_if(ids.begin(), ids.end(), [this](int id) { return !m_inBand(id); }),
                  ids.end());
    std::sort(ids.begin(), ids.end(), vexaIdLessThan);
    m_vexaIds = ids;
    createPlotItems();
}

void VexaIdOverlay::showVexaId(int id)
{
    if (m_vexaIds.contains(id) || !Constants::k_vexaIdMap.contains(id)
        || (m_inBand && !m_inBand(id)))
        return;
    m_vexaIds.append(id);
    std::sort(m_vexaIds.begin(), m_vexaIds.end(), vexaIdLessThan);
    createPlotItems();
}

void VexaIdOverlay::hideVexaId(int id)
{
    if (!m_vexaIds.contains(id) || !Constants::k_vexaIdMap.contains(id))
        return;
    m_vexaIds.removeAll(id);
    createPlotItems();
}

void VexaIdOverlay::deletePlotItems()
{
    // While the plot lives, deleting an item detaches it; once the plot is gone it has
    // deleted its attached items itself.
    if (m_plot) {
        qDeleteAll(m_shapeItems);
        qDeleteAll(m_markerItems);
    }
    m_shapeItems.clear();
    m_markerItems.clear();
}

void VexaIdOverlay::assignLevels()
{
    m_levels.clear();
    for (int id : qAsConst(m_vexaIds))
        m_levels.insert(id, -1);
    int counter = 0;
    for (int a : qAsConst(m_vexaIds)) {
        m_levels[a] = counter;
        const VexaIdDesc descA = Constants::k_vexaIdMap.value(a);
        for (int b : qAsConst(m_vexaIds)) {
            if (b == a || m_levels.value(b) == -1)
                continue;
            if (m_levels.value(b) == m_levels.value(a)
                && VexaIdDesc::intersect(Constants::k_vexaIdMap.value(b), descA)) {
                m_levels[a] = ++counter;
                break;
            }
        }
    }
}

void VexaIdOverlay::createPlotItems()
{
    deletePlotItems();
    assignLevels();
    if (!m_plot)
        return;

    for (int id : qAsConst(m_vexaIds)) {
        const VexaIdDesc desc = Constants::k_vexaIdMap.value(id);
        const QColor color = k_colorList.value(desc.type);
        const int level = m_levels.value(id);
        const double top = Constants::k_typicalMaxRssi - k_levelStep * level; // of the box

        auto *shape = new QwtPlotShapeItem(QString());
        shape->setRenderHint(QwtPlotItem::RenderAntialiased, true);
        shape->setShape(createShape(desc, level, k_levelStep));
        QLinearGradient gradient(0.5, 0.0, 0.5, 1.0);
        gradient.setCoordinateMode(QGradient::ObjectMode);
        QColor upper = color;
        upper.setAlpha(100);
        QColor bottom = color;
        bottom.setAlpha(0);
        gradient.setColorAt(0.0, upper);
        gradient.setColorAt(1.0, bottom);
        shape->setBrush(gradient);
        const QPen pen(QBrush(color), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
        shape->setPen(pen);
        shape->attach(m_plot);
        m_shapeItems.append(shape);

        // The label stays whole: to keep clear of other labels it may slide along its box's
        // range and move down inside the box; the Wi-Fi names give way to it.
        auto *marker = new PlacedLabelMarker(QString());
        marker->setRenderHint(QwtPlotItem::RenderAntialiased, true);
        marker->setLineStyle(QwtPlotMarker::NoLine);
        marker->setLinePen(pen);
        marker->setDistance(pen.widthF() / 2.0 + marker->spacing());
        marker->setSlideRange(QwtInterval(desc.lowerEdge(), desc.upperEdge()));
        marker->setVerticalRange(QwtInterval(Constants::k_nominalMinRssi, top));
        marker->setPlacementRank(0);
        QwtText label(QString::number(id));
        QFont font = label.font();
        font.setPointSizeF(font.pointSizeF() * 1.4);
        label.setFont(font);
        label.setColor(color);
        marker->setLabel(label);
        marker->setLabelAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        marker->setValue(desc.center, top);
        marker->attach(m_plot);
        m_markerItems.append(marker);
    }
    m_replotTimer.start();
}

QPainterPath VexaIdOverlay::createShape(const VexaIdDesc &desc, int level, double step)
{
    const double left = desc.lowerEdge();
    const double right = desc.upperEdge();
    const double top = Constants::k_typicalMaxRssi - step * level;
    const double bottom = Constants::k_nominalMinRssi;
    QPainterPath path;
    path.addRoundedRect(QRectF(left, top, right - left, bottom - top), 1.0, 3.0, Qt::AbsoluteSize);
    path.closeSubpath();
    return path;
}
