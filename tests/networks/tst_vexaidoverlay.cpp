#include "QuorvexTest.h"
#include "data/Constants.h"
#include "networks/VexaIdModel.h"
#include "networks/VexaIdOverlay.h"

#include <qwt_plot.h>
#include <qwt_plot_marker.h>
#include <qwt_plot_shapeitem.h>

using Constants::k_vexaIdMap;

namespace {

// A plot that counts its redraws.
class CountingPlot : public QwtPlot
{
public:
    int replots = 0;
    void replot() override
    {
        ++replots;
        QwtPlot::replot();
    }
};

int itemCount(const QwtPlot &plot, int rtti)
{
    return plot.itemList(rtti).size();
}

} // namespace

class TestVexaIdOverlay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void catalogue()
    {
        QCOMPARE(k_vexaIdMap.size(), 29);
        const VexaIdDesc d9310 = k_vexaIdMap.value(9310);
        QCOMPARE(d9310.universes, 4);
        QCOMPARE(d9310.center, 909.1975);
        QCOMPARE(d9310.bandwidth, 14.5);
        QCOMPARE(d9310.type, QString("Low"));
        QCOMPARE(d9310.indoorRangeFt, 300);
        QCOMPARE(d9310.indoorRangeM, 100);
        QCOMPARE(d9310.outdoorRangeFt, 500);
        QCOMPARE(d9310.outdoorRangeM, 150);

        const VexaIdDesc d24340 = k_vexaIdMap.value(24340);
        QCOMPARE(d24340.universes, 5);
        QCOMPARE(d24340.center, 2473.02);
        QCOMPARE(d24340.bandwidth, 6.919);
        QCOMPARE(d24340.type, QString("Max"));
        QCOMPARE(d24340.indoorRangeFt, 100);
        QCOMPARE(d24340.indoorRangeM, 30);
        QCOMPARE(d24340.outdoorRangeFt, 1000);
        QCOMPARE(d24340.outdoorRangeM, 300);

        const VexaIdDesc d9150 = k_vexaIdMap.value(9150);
        QCOMPARE(d9150.type, QString("Adaptive"));
        QCOMPARE(d9150.outdoorRangeFt, 2000);
        QCOMPARE(k_vexaIdMap.value(24210).center, 2420.754);
        QCOMPARE(k_vexaIdMap.value(24200).bandwidth, 80.486);

        // The ID tells the band of the plan's centre, and every type has its colour.
        for (auto it = k_vexaIdMap.cbegin(); it != k_vexaIdMap.cend(); ++it) {
            const bool is900 = it.key() < 9501;
            QVERIFY(is900 || it.key() >= 24000);
            QVERIFY(is900 ? (it->center > 902.0 && it->center < 928.0)
                          : (it->center > 2400.0 && it->center < 2500.0));
            QVERIFY(VexaIdOverlay::k_colorList.contains(it->type));
        }

        const VexaIdDesc none = k_vexaIdMap.value(1234);
        QCOMPARE(none.universes, 0);
        QVERIFY(none.type.isEmpty());
    }

    void panelIdsAreInCatalogue()
    {
        for (const VexaIdModel::Table *table :
             {&VexaIdModel::k_data900MHz, &VexaIdModel::k_data2400MHz})
            for (const auto &row : *table)
                for (const QVariant &cell : row)
                    if (cell.isValid())
                        QVERIFY2(k_vexaIdMap.contains(cell.toInt()), qPrintable(cell.toString()));
    }

    void ordering_data()
    {
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<QList<int>>("sorted");
        QTest::newRow("max last, adaptive first")
            << QList<int>{24340, 24350, 24300} << QList<int>{24350, 24300, 24340};
        QTest::newRow("900 group") << QList<int>{9100, 9150} << QList<int>{9150, 9100};
        QTest::newRow("bands and groups") << QList<int>{24110, 9330, 24250, 9120, 9150, 24100}
                                          << QList<int>{9150, 9120, 9330, 24100, 24110, 24250};
        QTest::newRow("whole 900 catalogue") << QList<int>{9350, 9330, 9310, 9300, 9250, 9230, 9210,
                                                           9200, 9150, 9130, 9120, 9110, 9100}
                                             << QList<int>{9150, 9100, 9110, 9120, 9130, 9250, 9200,
                                                           9210, 9230, 9350, 9300, 9310, 9330};
    }

    void ordering()
    {
        QFETCH(QList<int>, ids);
        QFETCH(QList<int>, sorted);
        std::sort(ids.begin(), ids.end(), vexaIdLessThan);
        QCOMPARE(ids, sorted);
    }

    void intersect()
    {
        VexaIdDesc a;
        a.center = 2410.0;
        a.bandwidth = 20.0; // 2400 .. 2420
        VexaIdDesc b = a;
        b.center = 2430.0; // 2420 .. 2440, touches a at 2420
        QVERIFY(VexaIdDesc::intersect(a, b));
        QVERIFY(VexaIdDesc::intersect(b, a));
        b.center = 2430.001;
        QVERIFY(!VexaIdDesc::intersect(a, b));
        QVERIFY(!VexaIdDesc::intersect(b, a));
        QVERIFY(VexaIdDesc::intersect(k_vexaIdMap[24100], k_vexaIdMap[24110]));
        QVERIFY(!VexaIdDesc::intersect(k_vexaIdMap[24110], k_vexaIdMap[24130]));
    }

    void levels_data()
    {
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<QList<int>>("levels");
        QTest::newRow("overlapping") << QList<int>{24110, 24100} << QList<int>{0, 1};
        QTest::newRow("disjoint") << QList<int>{24110, 24130} << QList<int>{0, 0};
        // 24100 overlaps 24110 and 24130; those two do not overlap each other.
        QTest::newRow("three") << QList<int>{24100, 24110, 24130} << QList<int>{0, 1, 1};
        QTest::newRow("stacked") << QList<int>{24150, 24100, 24120} << QList<int>{0, 1, 2};
    }

    void levels()
    {
        QFETCH(QList<int>, ids);
        QFETCH(QList<int>, levels);
        QwtPlot plot;
        VexaIdOverlay overlay(&plot);
        overlay.showVexaIds(ids);
        std::sort(ids.begin(), ids.end(), vexaIdLessThan);
        QCOMPARE(overlay.selectedIds(), ids);
        QCOMPARE(overlay.shapeItems().size(), ids.size());
        for (int i = 0; i < ids.size(); ++i) {
            QCOMPARE(overlay.level(ids[i]), levels[i]);
            const double top = -50.0 - 4.0 * levels[i];
            QCOMPARE(overlay.markerItems()[i]->yValue(), top);
            QCOMPARE(overlay.markerItems()[i]->xValue(), k_vexaIdMap[ids[i]].center);
            QCOMPARE(overlay.markerItems()[i]->label().text(), QString::number(ids[i]));
            const QRectF box = overlay.shapeItems()[i]->shape().boundingRect();
            QCOMPARE(box.top(), -100.0);
            QCOMPARE(box.bottom(), top);
            QCOMPARE(box.left(), k_vexaIdMap[ids[i]].lowerEdge());
            QCOMPARE(box.right(), k_vexaIdMap[ids[i]].upperEdge());
        }
    }

    void itemLooks()
    {
        QwtPlot plot;
        VexaIdOverlay overlay(&plot);
        overlay.showVexaIds({24110});
        const QwtPlotShapeItem *shape = overlay.shapeItems().first();
        QCOMPARE(shape->pen().color(), QColor("#00FF00"));
        QCOMPARE(shape->pen().widthF(), 2.0);
        const QGradient *gradient = shape->brush().gradient();
        QVERIFY(gradient);
        QCOMPARE(gradient->stops().first().second.alpha(), 100);
        QCOMPARE(gradient->stops().last().second.alpha(), 0);
        QVERIFY(shape->testRenderHint(QwtPlotItem::RenderAntialiased));
        const QwtPlotMarker *marker = overlay.markerItems().first();
        QCOMPARE(marker->label().color(), QColor("#00FF00"));
        QCOMPARE(marker->lineStyle(), QwtPlotMarker::NoLine);
        QCOMPARE(marker->labelAlignment(), Qt::AlignHCenter | Qt::AlignBottom);
    }

    void changesRebuildAndRedrawOnce()
    {
        CountingPlot plot;
        QCoreApplication::processEvents(); // the plot's own first redraw
        plot.replots = 0;
        VexaIdOverlay overlay(&plot);
        overlay.showVexaId(24110);
        QCOMPARE(itemCount(plot, QwtPlotItem::Rtti_PlotShape), 1);
        QTRY_COMPARE(plot.replots, 1);

        // Already shown, or not in the catalogue: nothing is rebuilt or redrawn.
        const QwtPlotShapeItem *before = overlay.shapeItems().first();
        overlay.showVexaId(24110);
        overlay.showVexaId(1234);
        overlay.hideVexaId(24120);
        overlay.hideVexaId(1234);
        QCOMPARE(overlay.shapeItems().first(), before);
        QCoreApplication::processEvents();
        QCOMPARE(plot.replots, 1);

        // Several changes in one turn of the event loop: one redraw.
        overlay.showVexaId(24120);
        overlay.hideVexaId(24110);
        QCOMPARE(overlay.selectedIds(), QList<int>{24120});
        QTRY_COMPARE(plot.replots, 2);
        QCoreApplication::processEvents();
        QCOMPARE(plot.replots, 2);

        overlay.showVexaIds({});
        QCOMPARE(itemCount(plot, QwtPlotItem::Rtti_PlotShape), 0);
        QCOMPARE(itemCount(plot, QwtPlotItem::Rtti_PlotMarker), 0);
        QTRY_COMPARE(plot.replots, 3);
    }

    void plotDestroyedFirst()
    {
        auto *plot = new QwtPlot;
        VexaIdOverlay overlay(plot);
        overlay.showVexaIds({9150, 9110});
        delete plot; // deletes the attached items
        overlay.showVexaId(9130);
        QCOMPARE(overlay.selectedIds().size(), 3);
        QVERIFY(overlay.shapeItems().isEmpty());
    }
};

QUORVEX_TEST_MAIN(TestVexaIdOverlay)
#include "tst_vexaidoverlay.moc"
