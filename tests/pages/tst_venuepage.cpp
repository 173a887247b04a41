#include "QuietMainWindow.h"
#include "QuorvexTest.h"
#include "data/Constants.h"
#include "data/FrequencyAxis.h"
#include "pages/TabPage2400.h"
#include "pages/VenuePage.h"
#include "plots/WaterfallPlot.h"
#include "widgets/RangeSlider.h"

#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <map>
#include <qwt_plot_canvas.h>
#include <qwt_plot_curve.h>
#include <qwt_scale_map.h>

namespace {

constexpr int k_columns = 501;

// What a source measured, kept by the test on its own.
struct Measured
{
    qint64 time;
    QVector<int> values;
};

// `count` sweeps `interval` ms apart from `start`, random levels from -100 to -60 dBm, and
// at column `loud` a carrier at `carrier` dBm.
QList<Measured> feed(TabPage *page, qint64 start, qint64 interval, int count, quint32 seed,
                     int loud, int carrier)
{
    QRandomGenerator random(seed);
    QList<Measured> measured;
    QVector<RfSpectrumSample> sweeps;
    for (int i = 0; i < count; ++i) {
        Measured sweep{start + i * interval, QVector<int>(k_columns)};
        RfSpectrumScan scan(k_columns);
        for (int c = 0; c < k_columns; ++c) {
            sweep.values[c] = c == loud ? carrier : -100 + int(random.bounded(41));
            scan[c] = qint8(sweep.values[c]);
        }
        measured.append(sweep);
        sweeps.append(RfSpectrumSample{sweep.time, scan, WifiScan()});
    }
    page->addSweeps(sweeps);
    return measured;
}

// The loudest of all over [from, to]: per quarter second from the epoch, per column, the
// highest level of any source.
std::map<qint64, QVector<int>> loudestOf(const QList<QList<Measured>> &sources, qint64 from,
                                         qint64 to)
{
    std::map<qint64, QVector<int>> bins;
    for (const QList<Measured> &source : sources) {
        for (const Measured &sweep : source) {
            if (sweep.time < from || sweep.time > to)
                continue;
            QVector<int> &row = bins[sweep.time / 250 * 250];
            if (row.isEmpty())
                row.fill(-128, k_columns);
            for (int c = 0; c < k_columns; ++c)
                row[c] = qMax(row[c], sweep.values.at(c));
        }
    }
    return bins;
}

void compareLoudest(const VenuePage &page, const std::map<qint64, QVector<int>> &expected)
{
    const SampleStore &loudest = page.loudest();
    QCOMPARE(loudest.size(), int(expected.size()));
    int i = 0;
    for (const auto &[bin, row] : expected) {
        QCOMPARE(loudest.timestamp(i), bin);
        for (int c = 0; c < k_columns; ++c)
            QCOMPARE(int(loudest.values(i)[c]), row.at(c));
        ++i;
    }
}

int maxOf(const QList<Measured> &source, int column, qint64 from, qint64 to)
{
    int highest = -128;
    for (const Measured &sweep : source) {
        if (sweep.time >= from && sweep.time <= to)
            highest = qMax(highest, sweep.values.at(column));
    }
    return highest;
}

} // namespace

// The venue page over two sources of one band with sweeps at their own pace: the loudest of
// all, the traces and the marker against the maxima the test works out itself, and one time
// bar that moves every display.
class TestVenuePage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sourcesOnOneAxis()
    {
        QuietMainWindow window;
        TabPage2400 north(window.pageActions(), nullptr, false);
        TabPage2400 south(window.pageActions(), nullptr, false);
        // Five minutes: North every 80 ms, South every 130 ms starting 37 ms later; a carrier
        // at column 300 that the North stand hears 20 dB louder.
        const qint64 t0 = 1765000000000;
        const QList<Measured> a = feed(&north, t0, 80, 3750, 1, 300, -42);
        const QList<Measured> b = feed(&south, t0 + 37, 130, 2300, 2, 300, -62);

        VenuePage page(2400);
        page.resize(1200, 900);
        page.addSource("North stand", &north);
        page.addSource("South stand", &south);
        page.addSource("Nothing yet", new TabPage2400(window.pageActions(), &page, false));
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.refresh();

        QCOMPARE(page.sourceNames(), (QStringList{"North stand", "South stand"}));
        QCOMPARE(page.waterfalls().size(), 2);
        QVERIFY(page.followsLiveEdge());
        const qint64 newest = qMax(a.last().time, b.last().time);
        QCOMPARE(page.window(), std::make_pair(newest - Constants::k_timeWindowWidth, newest));
        compareLoudest(page, loudestOf({a, b}, page.window().first, page.window().second));

        // Each source's Max Hold over the window, in its colour.
        const FrequencyAxis axis(Constants::k_2400ScanParams);
        for (const auto &[name, measured] :
             {std::make_pair("North stand", a), std::make_pair("South stand", b)}) {
            const QwtPlotCurve *curve = page.curveOf(name);
            QCOMPARE(int(curve->dataSize()), k_columns);
            QCOMPARE(curve->pen().color(), page.colourOf(name));
            for (int c : {0, 17, 300, 500}) {
                QCOMPARE(curve->sample(size_t(c)).x(), axis.megahertz(c));
                QCOMPARE(int(curve->sample(size_t(c)).y()),
                         maxOf(measured, c, page.window().first, page.window().second));
            }
        }

        // A click on the traces at the carrier reads both sources there, the loudest first.
        QWidget *canvas = page.tracePlot()->canvas();
        const int x
            = qRound(page.tracePlot()->canvasMap(QwtPlot::xBottom).transform(axis.megahertz(300)));
        QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(x, canvas->height() / 2));
        const QList<VenuePage::Reading> readings = page.markerReadings();
        QCOMPARE(readings.size(), 2);
        QCOMPARE(readings.at(0).source, QString("North stand"));
        QCOMPARE(readings.at(0).level, -42.0);
        QCOMPARE(readings.at(1).level, -62.0);
        QCOMPARE(page.markerText(),
                 QString("2460.000 MHz: North stand -42.0 dBm, South stand -62.0 dBm"));

        // Dragging the time bar back moves every display to the same earlier window, and new
        // sweeps leave it there.
        RangeSlider *bar = page.timeBar();
        const QPoint grip = bar->selectionRect().center().toPoint();
        QTest::mousePress(page.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                          bar->mapTo(&page, grip));
        QTest::mouseMove(page.windowHandle(), bar->mapTo(&page, grip - QPoint(300, 0)));
        QTest::mouseRelease(page.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                            bar->mapTo(&page, grip - QPoint(300, 0)));
        QVERIFY(!page.followsLiveEdge());
        const auto [from, to] = page.window();
        QVERIFY(to < newest - 60000);
        QCOMPARE(to - from, Constants::k_timeWindowWidth);
        compareLoudest(page, loudestOf({a, b}, from, to));
        for (WaterfallPlot *waterfall : page.waterfalls()) {
            QCOMPARE(waterfall->axisInterval(QwtPlot::yLeft).minValue(), double(from));
            QCOMPARE(waterfall->axisInterval(QwtPlot::yLeft).maxValue(), double(to));
        }
        QCOMPARE(page.markerReadings().at(0).level,
                 double(qMax(maxOf(a, 300, from, to), maxOf(b, 300, from, to))));
        feed(&north, newest + 80, 80, 10, 3, 300, -42);
        page.refresh();
        QCOMPARE(page.window(), std::make_pair(from, to));

        // The band buttons ask for every source to switch.
        QSignalSpy switched(&page, &VenuePage::bandSwitchRequested);
        QTest::mouseClick(page.bandButton(900), Qt::LeftButton);
        QCOMPARE(switched.size(), 1);
        QCOMPARE(switched.at(0).at(0).toInt(), 900);
    }
};

QUORVEX_TEST_MAIN(TestVenuePage)
#include "tst_venuepage.moc"
