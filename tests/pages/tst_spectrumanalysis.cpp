#include "QuietMainWindow.h"
#include "QuorvexTest.h"
#include "data/RecordingFile.h"
#include "data/SurveyFigures.h"
#include "pages/CaptureActions.h"
#include "pages/MarkerTable.h"
#include "pages/PeakPanel.h"
#include "pages/PeakTable.h"
#include "pages/SpectrumAnalysis.h"
#include "pages/TabPage.h"
#include "plots/MarkerLayer.h"
#include "plots/PlacedLabelMarker.h"
#include "plots/SpectroPlot.h"
#include "plots/SpectrogramData.h"
#include "plots/TavMatrixRasterData.h"
#include "plots/WaterfallData.h"
#include "plots/WaterfallPlot.h"
#include "widgets/RangeSlider.h"

#include "pages/TavTabWidget.h"

#include <QAction>
#include <QHeaderView>
#include <QStatusBar>
#include <QTemporaryDir>
#include <cmath>
#include <qwt_plot_canvas.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_marker.h>
#include <qwt_plot_textlabel.h>

namespace {

constexpr qint64 k_t0 = 1765200000000;

bool isFiller(const RfSpectrumScan &scan)
{
    return std::all_of(scan.cbegin(), scan.cend(), [](qint8 v) { return v == -128; });
}

// 2.4 GHz, 200 sweeps 100 ms apart. Max Hold: -40 at 2420.0 MHz (one sweep, the 151st; -70
// before it), -45 at 2420.6 (too near to be a peak of its own), -60 at 2422.0, a flat top of
// -48 at 2460.0 ... 2460.4, -50 and -55 at the band edges, at 2450.0 -70 and -85 in turn;
// -95 elsewhere. Sweeps 50 to 59 are gap filler.
RfSpectrumHistory before()
{
    RfSpectrumHistory history;
    history.freqInterval = QwtInterval(2400.0, 2500.0);
    history.rssiInterval = QwtInterval(-100.0, -30.0);
    for (int s = 0; s < 200; ++s) {
        RfSpectrumScan scan(501, qint8(-95));
        scan[0] = -50;
        scan[500] = -55;
        scan[100] = s == 150 ? -40 : -70;
        scan[103] = -45;
        scan[110] = -60;
        scan[300] = scan[301] = scan[302] = -48;
        scan[250] = s % 2 ? -70 : -85;
        if (s >= 50 && s < 60)
            scan.fill(-128);
        history.samples << RfSpectrumSample{k_t0 + 100 * s, scan, WifiScan()};
    }
    return history;
}

// Another day at the same site: quieter at 2420.0, busier at 2450.0.
RfSpectrumHistory after()
{
    RfSpectrumHistory history;
    history.freqInterval = QwtInterval(2400.0, 2500.0);
    history.rssiInterval = QwtInterval(-100.0, -30.0);
    for (int s = 0; s < 50; ++s) {
        RfSpectrumScan scan(501, qint8(-93 + s % 3));
        scan[100] = -66;
        scan[250] = qint8(-60 - s % 5);
        history.samples << RfSpectrumSample{k_t0 + 86400000 + 100 * s, scan, WifiScan()};
    }
    return history;
}

RfSpectrumHistory other900()
{
    RfSpectrumHistory history;
    history.freqInterval = QwtInterval(902.0, 928.0);
    history.rssiInterval = QwtInterval(-100.0, -30.0);
    for (int s = 0; s < 20; ++s)
        history.samples << RfSpectrumSample{k_t0 + 100 * s, RfSpectrumScan(252, -90), WifiScan()};
    return history;
}

// The sweeps measured in sweeps [first, last) (gap filler left out).
QList<RfSpectrumScan> measured(const RfSpectrumHistory &history, int first, int last)
{
    QList<RfSpectrumScan> scans;
    for (const RfSpectrumSample &sample : history.samples.toList(first, last)) {
        if (!isFiller(sample.scan))
            scans << sample.scan;
    }
    return scans;
}

QVector<double> maxHoldOf(const QList<RfSpectrumScan> &scans)
{
    QVector<double> max(scans.first().size(), -128.0);
    for (const RfSpectrumScan &scan : scans) {
        for (int j = 0; j < scan.size(); ++j)
            max[j] = qMax(max.at(j), double(scan.at(j)));
    }
    return max;
}

// "2412.000": MHz of step j of the 2.4 GHz band.
QString mhz(int step)
{
    return QString::number(2400.0 + step * 0.2, 'f', 3);
}

QString cell(const SpectrumAnalysis *analysis, int row, int column)
{
    const QTableWidgetItem *item = analysis->markerTable()->item(row, column);
    return item ? item->text() : QString("(none)");
}

QStringList linesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

// Markers, peaks, the reference trace and the exports of a band page, driven as a technician
// drives them: the tool bar, the mouse and keys on the spectrogram, the tables, the dialogs
// (answered by the prompts).
class TestSpectrumAnalysis : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<QuietMainWindow> m_window;

    // Opens a recording of the history in a tab of its own, named `name`.
    TabPage *open(const QString &name, const RfSpectrumHistory &history)
    {
        const QString path = m_dir.filePath(name + ".tarn");
        QString error;
        if (!RecordingFile::save(path, history, &error))
            return nullptr;
        QFile file(path);
        if (!m_window->openFile(file))
            return nullptr;
        return m_window->page(m_window->tabWidget()->count() - 1);
    }

    static QPoint pixelOf(const TabPage *page, double megahertz, double dbm = -35.0)
    {
        const SpectroPlot *plot = page->spectroPlot();
        return QPoint(int(std::lround(plot->transform(QwtPlot::xBottom, megahertz))),
                      int(std::lround(plot->transform(QwtPlot::yLeft, dbm))));
    }

    static void drag(QWidget *canvas, const QPoint &from, const QPoint &to)
    {
        QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, from);
        QMouseEvent move(QEvent::MouseMove, to, canvas->mapToGlobal(to), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas, &move);
        QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, to);
    }

private Q_SLOTS:
    void init()
    {
        m_window = std::make_unique<QuietMainWindow>();
        m_window->resize(1400, 900);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    // Peak, then Next Peak down to the last peak: the strongest first, a peak too near a
    // stronger one skipped, both band edges, a flat top at its middle.
    void peakAndNextPeak()
    {
        TabPage *page = open("before", before());
        QVERIFY(page);
        SpectrumAnalysis *analysis = page->analysis();
        analysis->peakAction()->trigger();
        QCOMPARE(analysis->markers().markers().size(), 1);
        QCOMPARE(cell(analysis, 0, MarkerTable::Frequency), mhz(100));
        QCOMPARE(cell(analysis, 0, MarkerTable::MaxHold), QString("-40"));
        const QList<int> visits{301, 0, 500, 110, 250, 250};
        for (int step : visits) {
            analysis->nextPeakAction()->trigger();
            QCOMPARE(cell(analysis, 0, MarkerTable::Frequency), mhz(step));
        }
        QVERIFY(analysis->markerTable()->isVisible());

        // The peak table: the same peaks, their levels and busy shares at -80 dBm over the
        // 190 sweeps measured (2450.0 MHz reaches it in every other one); a click puts
        // marker 1 on a peak.
        analysis->peakTableAction()->setChecked(true);
        PeakTable *table = analysis->peakTable();
        QVERIFY(table->isVisible());
        QCOMPARE(table->rowCount(), 6);
        const QStringList expected{mhz(100) + " -40 100.0", mhz(301) + " -48 100.0",
                                   mhz(0) + " -50 100.0",   mhz(500) + " -55 100.0",
                                   mhz(110) + " -60 100.0", mhz(250) + " -70 50.0"};
        for (int row = 0; row < expected.size(); ++row)
            QCOMPARE(table->item(row, PeakTable::Frequency)->text() + ' '
                         + table->item(row, PeakTable::MaxHold)->text() + ' '
                         + table->item(row, PeakTable::Busy)->text(),
                     expected.at(row));
        // The site-survey report names the same peaks.
        QStringList reported;
        for (const SurveyFigures::Peak &peak : SurveyFigures::compute(page->history(), {}).peaks)
            reported << QString::number(peak.frequencyMHz, 'f', 3) + ' '
                    + QString::number(peak.maxDbm) + ' '
                    + QString::number(peak.busyShare * 100.0, 'f', 1);
        QCOMPARE(reported, expected);
        const QRect third = table->visualItemRect(table->item(2, PeakTable::Frequency));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, third.center());
        QCOMPARE(analysis->markers().stepOf(1), 0);
    }

    // Double-clicks place markers, a drag moves one, the arrow keys step the selected one,
    // Delete removes it; markers 2 to 4 read their distance to marker 1. None of it asks for
    // a label, which a single click still does.
    void mouseAndKeys()
    {
        TabPage *page = open("before", before());
        QVERIFY(page);
        SpectrumAnalysis *analysis = page->analysis();
        int labelsAsked = 0;
        page->spectroPlot()->setPrompts({[&](QWidget *, const QString &, QString *) {
                                             ++labelsAsked;
                                             return false;
                                         },
                                         [](const QString &, const QString &) { return false; }});
        QWidget *canvas = page->spectroPlot()->canvas();

        QTest::mouseDClick(canvas, Qt::LeftButton, Qt::NoModifier, pixelOf(page, 2437.0));
        QTest::mouseDClick(canvas, Qt::LeftButton, Qt::NoModifier, pixelOf(page, 2450.0));
        QCOMPARE(analysis->markers().selected(), 2);
        QCOMPARE(cell(analysis, 0, MarkerTable::Frequency), QString("2437.000"));
        QCOMPARE(cell(analysis, 1, MarkerTable::Frequency), QString("2450.000"));
        QCOMPARE(cell(analysis, 1, MarkerTable::DeltaMhz), QString("+13.000"));
        QCOMPARE(cell(analysis, 1, MarkerTable::DeltaDb), QString("+25")); // -70 against -95
        QCOMPARE(cell(analysis, 0, MarkerTable::DeltaMhz), QString("\u2013"));
        QCOMPARE(cell(analysis, 1, MarkerTable::Average), QString("-77.5"));
        QCOMPARE(cell(analysis, 0, MarkerTable::Average), QString("-95.0")); // a mean, in tenths
        QCOMPARE(cell(analysis, 1, MarkerTable::Newest), QString("-70"));

        QTest::keyClick(canvas, Qt::Key_Right);
        QCOMPARE(cell(analysis, 1, MarkerTable::Frequency), QString("2450.200"));
        QTest::keyClick(canvas, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(canvas, Qt::Key_Left);
        QCOMPARE(cell(analysis, 1, MarkerTable::Frequency), QString("2452.000"));
        QCOMPARE(cell(analysis, 1, MarkerTable::DeltaMhz), QString("+15.000"));

        // Marker 1 dragged onto the strongest peak.
        drag(canvas, pixelOf(page, 2437.0), pixelOf(page, 2420.0));
        QCOMPARE(analysis->markers().selected(), 1);
        QCOMPARE(cell(analysis, 0, MarkerTable::Frequency), QString("2420.000"));
        QCOMPARE(cell(analysis, 1, MarkerTable::DeltaMhz), QString("+32.000"));
        QCOMPARE(cell(analysis, 1, MarkerTable::DeltaDb), QString("-55"));
        QCOMPARE(page->spectroPlot()->canvas()->hasFocus(), true);
        // The diamonds sit on the Max Hold.
        const QList<QwtPlotMarker *> shown = analysis->layer()->plotMarkers();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0)->value(), QPointF(2420.0, -40.0));

        // The table's keys step the marker chosen in it.
        MarkerTable *table = analysis->markerTable();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                          table->visualItemRect(table->item(1, MarkerTable::MaxHold)).center());
        QCOMPARE(analysis->markers().selected(), 2);
        QTest::keyClick(table, Qt::Key_Left);
        QCOMPARE(cell(analysis, 1, MarkerTable::Frequency), QString("2451.800"));

        // Delete removes the selected marker; a new one takes the lowest free number.
        QTest::keyClick(canvas, Qt::Key_Delete);
        QCOMPARE(analysis->markers().markers().size(), 1);
        QCOMPARE(analysis->markers().markers().first().number, 1);
        QVERIFY(table->isColumnHidden(MarkerTable::DeltaMhz));
        for (double at : {2410.0, 2470.0, 2480.0})
            QTest::mouseDClick(canvas, Qt::LeftButton, Qt::NoModifier, pixelOf(page, at));
        QCOMPARE(cell(analysis, 1, MarkerTable::Frequency), QString("2410.000"));
        QCOMPARE(analysis->markers().markers().size(), 4);
        // Four are the most: a double-click then moves the selected one.
        QTest::mouseDClick(canvas, Qt::LeftButton, Qt::NoModifier, pixelOf(page, 2490.0));
        QCOMPARE(analysis->markers().markers().size(), 4);
        QCOMPARE(cell(analysis, 3, MarkerTable::Frequency), QString("2490.000"));
        QCOMPARE(labelsAsked, 0);

        // A single click away from the markers asks for a label once no double-click follows.
        QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, pixelOf(page, 2445.0));
        QCOMPARE(labelsAsked, 0);
        QTRY_COMPARE(labelsAsked, 1);
        QCOMPARE(analysis->markers().markers().size(), 4);
    }

    // The levels are those of the window in view: panned back before the strongest sweep
    // (and to where the newest sweep measured lies before a run of gap filler), the marker
    // reads that window's Max Hold, Average and newest sweep.
    void followsTheTimeBar()
    {
        TabPage *page = open("before", before());
        QVERIFY(page);
        SpectrumAnalysis *analysis = page->analysis();
        analysis->peakAction()->trigger();
        analysis->placeMarker(2450.0);
        QCOMPARE(cell(analysis, 0, MarkerTable::MaxHold), QString("-40"));
        page->timeBar()->setLowerValue(0);
        page->timeBar()->setUpperValue(60);
        QCOMPARE(cell(analysis, 0, MarkerTable::MaxHold), QString("-70"));
        // Sweeps 0 to 49 measured: the newest is the 50th, -70 at 2450.0 MHz.
        QCOMPARE(cell(analysis, 1, MarkerTable::Newest), QString("-70"));
        QCOMPARE(cell(analysis, 1, MarkerTable::Average), QString("-77.5"));
        QCOMPARE(cell(analysis, 1, MarkerTable::DeltaDb), QString("0"));
        // A window of gap filler alone: no levels.
        page->timeBar()->setLowerValue(50);
        page->timeBar()->setUpperValue(58);
        QCOMPARE(cell(analysis, 0, MarkerTable::MaxHold), QString("\u2013"));
        QCOMPARE(analysis->layer()->plotMarkers().first()->symbol(), nullptr);
    }

    // A snapshot of the spectrogram shows the markers, with their table under the plot.
    void markersInSnapshot()
    {
        TabPage *page = open("before", before());
        QVERIFY(page);
        SpectrumAnalysis *analysis = page->analysis();
        analysis->peakAction()->trigger();
        analysis->placeMarker(2470.0);
        const QImage plot = page->spectroPlot()->grab().toImage();
        const QImage table = analysis->markerTable()->grab().toImage();
        const QImage snapshot = page->takeSnapshot().toImage();
        QCOMPARE(snapshot.height(), plot.height() + table.height());
        QCOMPARE(snapshot.copy(0, plot.height(), table.width(), table.height()),
                 table.convertToFormat(snapshot.format()));
        // The selected marker's line, solid orange, at 2470.0 MHz above the signals.
        const QPoint line = page->spectroPlot()->canvas()->pos() + pixelOf(page, 2470.0, -65.0);
        bool orange = false;
        for (int dx = -1; dx <= 1; ++dx) {
            const QColor seen = snapshot.pixelColor(line + QPoint(dx, 0));
            orange = orange
                || (seen.hue() >= 30 && seen.hue() <= 45 && seen.saturation() > 150
                    && seen.value() > 150);
        }
        QVERIFY(orange);

        // A marker at the next step: the two numbers keep clear of each other.
        analysis->placeMarker(2470.2);
        page->spectroPlot()->grab();
        const QList<PlacedLabelMarker *> numbers = analysis->layer()->numbers();
        QCOMPARE(numbers.size(), 3);
        const QRectF second = numbers.at(1)->drawnBox();
        const QRectF third = numbers.at(2)->drawnBox();
        QVERIFY(!second.isEmpty() && !third.isEmpty());
        QVERIFY(!second.intersects(third));

        // Without markers the snapshot is the plot alone.
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(page->spectroPlot()->canvas(), Qt::Key_Delete);
        QVERIFY(analysis->markers().isEmpty());
        QCOMPARE(page->takeSnapshot().height(), plot.height());
    }

    // Set Reference freezes the Max Hold in view, drawn where the Max Hold is drawn; it stays
    // as the window moves, and the markers read the difference. Clear Reference takes it away.
    void reference()
    {
        TabPage *page = open("before", before());
        QVERIFY(page);
        SpectrumAnalysis *analysis = page->analysis();
        analysis->peakAction()->trigger();
        QVERIFY(!analysis->clearReferenceAction()->isEnabled());
        analysis->setReferenceAction(SpectrumTraces::Kind::MaxHold)->trigger();
        const QVector<double> frozen = maxHoldOf(measured(before(), 0, 200));
        QCOMPARE(analysis->reference().levels, frozen);
        const QwtSeriesData<QPointF> *curve = analysis->referenceCurve()->data();
        const QwtSeriesData<QPointF> *maxHold = page->spectroPlot()->maxHoldCurve()->data();
        QCOMPARE(int(curve->size()), 501);
        for (int j = 0; j < 501; ++j)
            QCOMPARE(curve->sample(j), maxHold->sample(j));
        QVERIFY(analysis->referenceCaption()->label().text().startsWith(
            "Reference (dashed): Max Hold of this page, "));
        // The caption is placed among the labels: clear of the marker's number and of the
        // floor (-95 dBm) and what lies above it up to -60 dBm.
        page->spectroPlot()->grab();
        const QRectF caption = analysis->referenceCaption()->drawnBox();
        QVERIFY(!caption.isEmpty());
        QVERIFY(!caption.intersects(analysis->layer()->numbers().first()->drawnBox()));
        QVERIFY2(caption.bottom() < page->spectroPlot()->transform(QwtPlot::yLeft, -60.0),
                 qPrintable(QString::number(caption.bottom())));
        QCOMPARE(cell(analysis, 0, MarkerTable::ReferenceDelta), QString("0"));
        QVERIFY(analysis->clearReferenceAction()->isEnabled());

        page->timeBar()->setLowerValue(0);
        page->timeBar()->setUpperValue(100);
        QCOMPARE(analysis->reference().levels, frozen);
        QCOMPARE(cell(analysis, 0, MarkerTable::ReferenceDelta), QString("-30"));
        QCOMPARE(analysis->markerTable()->item(0, MarkerTable::ReferenceDelta)->toolTip(),
                 QString("Reference -40 dBm"));

        // From the Average, the Average is compared.
        analysis->setReferenceAction(SpectrumTraces::Kind::Average)->trigger();
        analysis->placeMarker(2450.0);
        page->timeBar()->setLowerValue(100);
        page->timeBar()->setUpperValue(101); // one sweep, -85 at 2450.0 MHz
        QCOMPARE(cell(analysis, 1, MarkerTable::ReferenceDelta), QString("-7.5"));

        analysis->clearReferenceAction()->trigger();
        QVERIFY(analysis->reference().isEmpty());
        QCOMPARE(int(analysis->referenceCurve()->dataSize()), 0);
        QVERIFY(analysis->referenceCaption()->label().isEmpty());
        QVERIFY(analysis->markerTable()->isColumnHidden(MarkerTable::ReferenceDelta));
    }

    // Everything drawn at a frequency step lies at FStart + i x FStep, the colour cells of both
    // displays centred on it: on a peak (at an edge of the 900 MHz band) the marker's line and
    // diamond, the vertices of the Max Hold and of the reference, and the middle of the
    // density's and the waterfall's cells.
    void drawnAtTheirSteps_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("peak");
        QTest::newRow("2.4 GHz") << 2400.0 << 0.2 << 501 << 200;
        QTest::newRow("900 MHz") << 902.0 << 0.10325 << 252 << 251;
    }

    void drawnAtTheirSteps()
    {
        QFETCH(double, start);
        QFETCH(double, step);
        QFETCH(int, steps);
        QFETCH(int, peak);
        RfSpectrumHistory history;
        history.freqInterval
            = steps == 501 ? QwtInterval(2400.0, 2500.0) : QwtInterval(902.0, 928.0);
        history.rssiInterval = QwtInterval(-100.0, -30.0);
        for (int s = 0; s < 20; ++s) {
            RfSpectrumScan scan(steps, qint8(-95));
            scan[peak] = -40;
            history.samples << RfSpectrumSample{k_t0 + 100 * s, scan, WifiScan()};
        }
        TabPage *page = open("steps", history);
        QVERIFY(page);
        SpectrumAnalysis *analysis = page->analysis();
        analysis->peakAction()->trigger();
        analysis->setReferenceAction(SpectrumTraces::Kind::MaxHold)->trigger();
        const double at = start + peak * step;
        // Apart by no more than a millionth of a step (sums of fractions of a megahertz).
        const auto near = [step](double a, double b) { return qAbs(a - b) < step * 1e-6; };
        const QPointF marker = analysis->layer()->plotMarkers().first()->value();
        QVERIFY2(near(marker.x(), at), qPrintable(QString::number(marker.x(), 'f', 6)));
        const QPointF vertex = page->spectroPlot()->maxHoldCurve()->sample(peak);
        QVERIFY2(near(vertex.x(), at), qPrintable(QString::number(vertex.x(), 'f', 6)));
        QCOMPARE(vertex.y(), -40.0);
        QVERIFY(near(analysis->referenceCurve()->sample(peak).x(), at));
        for (const QwtInterval &cells :
             {page->spectroPlot()->densityData()->interval(Qt::XAxis),
              page->spectroPlot()->highlightData()->interval(Qt::XAxis),
              page->waterfallPlot()->waterfallData()->interval(Qt::XAxis)}) {
            QVERIFY(near(cells.width(), steps * step));
            QVERIFY(near(cells.minValue() + (peak + 0.5) * cells.width() / steps, at));
        }
    }

    // Markers stay on their steps with their numbers as the window moves; a peak search moves
    // only its own marker, never one the user placed, and a peak found again that holds a
    // marker selects that marker instead of stacking another on it.
    void markersStay()
    {
        TabPage *page = open("before", before());
        QVERIFY(page);
        SpectrumAnalysis *analysis = page->analysis();
        const auto steps = [analysis] {
            QList<int> list;
            for (const MarkerSet::Marker &marker : analysis->markers().markers())
                list << marker.step;
            return list;
        };
        QWidget *canvas = page->spectroPlot()->canvas();
        analysis->peakAction()->trigger(); // 1 on 2420.0 MHz
        QTest::mouseDClick(canvas, Qt::LeftButton, Qt::NoModifier, pixelOf(page, 2437.0)); // 2
        QCOMPARE(steps(), (QList<int>{100, 185}));
        QCOMPARE(analysis->markers().selected(), 2);

        // Sweeps 0 to 59: 2420.0 MHz is -70 there, the strongest peak 2420.6 MHz (-45), the
        // next 2460.2 MHz (-48).
        page->timeBar()->setLowerValue(0);
        page->timeBar()->setUpperValue(60);
        QCOMPARE(steps(), (QList<int>{100, 185}));
        analysis->peakAction()->trigger();
        QCOMPARE(steps(), (QList<int>{103, 185}));
        QCOMPARE(analysis->markers().selected(), 1);
        analysis->peakAction()->trigger();
        QCOMPARE(steps(), (QList<int>{103, 185}));
        analysis->nextPeakAction()->trigger();
        QCOMPARE(steps(), (QList<int>{301, 185}));

        // Marker 1 moved by the user is the user's: the next Peak places a marker of its own.
        QTest::keyClick(canvas, Qt::Key_Right);
        analysis->peakAction()->trigger();
        QCOMPARE(steps(), (QList<int>{302, 185, 103}));
        // The peak table's peak that holds a marker selects it.
        analysis->peakTableAction()->setChecked(true);
        analysis->selectMarker(2);
        const PeakTable *table = analysis->peakTable();
        QCOMPARE(table->stepAt(0), 103);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                          table->visualItemRect(table->item(0, PeakTable::Frequency)).center());
        QCOMPARE(analysis->markers().selected(), 3);
        QCOMPARE(steps(), (QList<int>{302, 185, 103}));

        // Four of the user's own: no search takes one.
        QTest::keyClick(canvas, Qt::Key_Delete);
        analysis->placeMarker(2480.0);
        analysis->placeMarker(2490.0);
        QCOMPARE(steps(), (QList<int>{302, 185, 400, 450}));
        QVERIFY(!analysis->peakAction()->isEnabled());
        analysis->peak();
        analysis->nextPeak();
        QCOMPARE(steps(), (QList<int>{302, 185, 400, 450}));
        QTest::keyClick(canvas, Qt::Key_Delete);
        QVERIFY(analysis->peakAction()->isEnabled());
    }

    // Compare With offers the other recordings and takes the Max Hold in view of the one
    // chosen; one of the other band is refused, saying why.
    void compareWith()
    {
        TabPage *first = open("before", before());
        QVERIFY(first);
        RecordingPrompts *prompts = m_window->prompts;
        first->analysis()->compareWithAction()->trigger();
        QVERIFY2(prompts->informations.last().contains("Open another recording of the 2.4 GHz"),
                 qPrintable(prompts->informations.last()));

        TabPage *second = open("after", after());
        QVERIFY(open("other", other900()));
        // The second recording in view from its 11th sweep on.
        second->timeBar()->setLowerValue(10);
        second->timeBar()->setUpperValue(50);
        SpectrumAnalysis *analysis = first->analysis();
        analysis->peakAction()->trigger();
        prompts->answer = "after (2.4 GHz)";
        analysis->compareWithAction()->trigger();
        QCOMPARE(prompts->choiceLists.last(), (QStringList{"after (2.4 GHz)", "other (900 MHz)"}));
        QCOMPARE(analysis->reference().levels, maxHoldOf(measured(after(), 10, 50)));
        QVERIFY(analysis->reference().source.startsWith("Max Hold of \"after\", "));
        QCOMPARE(cell(analysis, 0, MarkerTable::ReferenceDelta), QString("+26")); // -40, -66

        const int warnings = prompts->warnings.size();
        prompts->answer = "other (900 MHz)";
        analysis->compareWithAction()->trigger();
        QCOMPARE(prompts->warnings.size(), warnings + 1);
        QVERIFY2(prompts->warnings.last().startsWith(
                     "\"other\" is a recording of the 900 MHz band; this page shows the 2.4 GHz "
                     "band."),
                 qPrintable(prompts->warnings.last()));
        QCOMPARE(analysis->reference().levels, maxHoldOf(measured(after(), 10, 50)));

        // Cancelled: nothing changes.
        prompts->answer.clear();
        analysis->compareWithAction()->trigger();
        QCOMPARE(analysis->reference().levels, maxHoldOf(measured(after(), 10, 50)));
    }

    // Exports from the page go where the file dialog says: the window in view as a
    // coordination scan, the whole history as a summary; a file that cannot be written is
    // said, a cancelled dialog writes nothing. The other layouts likewise.
    void exportFromPage()
    {
        TabPage *page = open("before", before());
        QVERIFY(page);
        SpectrumAnalysis *analysis = page->analysis();
        RecordingPrompts *prompts = m_window->prompts;
        page->timeBar()->setLowerValue(0);
        page->timeBar()->setUpperValue(100);

        prompts->fileAnswers << QUrl::fromLocalFile(m_dir.filePath("window"));
        analysis->exportCoordinationAction(SpectrumTraces::Kind::MaxHold)->trigger();
        QVERIFY(prompts->fileDialogs.last().startsWith("Export Coordination Scan|"));
        QVERIFY(prompts->fileDialogs.last().endsWith("_coordination.txt"));
        const QVector<double> window = maxHoldOf(measured(before(), 0, 100));
        QStringList expected;
        for (int j = 0; j < 501; ++j)
            expected << mhz(j) + ", " + QString::number(window.at(j), 'f', 1);
        QCOMPARE(linesOf(m_dir.filePath("window.txt")), expected);

        analysis->exportWholeHistoryAction()->setChecked(true);
        prompts->fileAnswers << QUrl::fromLocalFile(m_dir.filePath("whole.csv"));
        analysis->exportSummaryAction()->trigger();
        const QStringList summary = linesOf(m_dir.filePath("whole.csv"));
        QCOMPARE(summary.size(), 502);
        QCOMPARE(summary.at(0), QString("frequency_mhz,max_dbm,average_dbm,busy_percent"));
        QCOMPARE(summary.at(1 + 100), mhz(100) + ",-40.0,-69.8,100.0"); // (189 x -70 - 40) / 190
        QCOMPARE(summary.at(1 + 250), mhz(250) + ",-70.0,-77.5,50.0");

        const int criticals = prompts->criticals.size();
        prompts->fileAnswers << QUrl::fromLocalFile(m_dir.filePath("no/such/folder.txt"));
        analysis->exportCoordinationAction(SpectrumTraces::Kind::Average)->trigger();
        QCOMPARE(prompts->criticals.size(), criticals + 1);
        QVERIFY2(
            prompts->criticals.last().startsWith("The scan was not exported. Unable to write "),
            qPrintable(prompts->criticals.last()));

        const int dialogs = prompts->fileDialogs.size();
        analysis->exportCoordinationAction(SpectrumTraces::Kind::Newest)->trigger();
        QCOMPARE(prompts->fileDialogs.size(), dialogs + 1);
        QCOMPARE(prompts->criticals.size(), criticals + 1);

        // The semicolon scan of the Average in view, named by its file; every sweep of the
        // whole history in the rtl_power layout, the gap fillers left out, with progress shown.
        analysis->exportWholeHistoryAction()->setChecked(false);
        prompts->fileAnswers << QUrl::fromLocalFile(m_dir.filePath("site-wsm"));
        analysis->exportWsmAction(SpectrumTraces::Kind::Average)->trigger();
        QVERIFY(prompts->fileDialogs.last().endsWith("_wsm.csv"));
        const QStringList wsm = linesOf(m_dir.filePath("site-wsm.csv"));
        QCOMPARE(wsm.size(), 16 + 501);
        QCOMPARE(wsm.at(11), QString("ScanName;site-wsm"));
        QCOMPARE(wsm.at(16 + 250), QString("2450000;;-77.5")); // 45 x -70, 45 x -85

        analysis->exportWholeHistoryAction()->setChecked(true);
        prompts->fileAnswers << QUrl::fromLocalFile(m_dir.filePath("sweeps.csv"));
        analysis->exportSweepsAction()->trigger();
        const QStringList sweeps = linesOf(m_dir.filePath("sweeps.csv"));
        QCOMPARE(sweeps.size(), 190);
        QString sweep150
            = QDateTime::fromMSecsSinceEpoch(k_t0 + 15000).toString("yyyy-MM-dd, HH:mm:ss")
            + ", 2400000000, 2500000000, 200000, 1";
        for (const qint8 v : before().samples.scan(150))
            sweep150 += QString(", %1.0").arg(int(v));
        QCOMPARE(sweeps.at(150 - 10), sweep150);
        QVERIFY(prompts->progressUpdates > 0);
    }

    // Capture Max and Capture Average: the folder asked for once, then no dialog; the scan of
    // the window in view under the band and the time of its newest sweep, an earlier capture
    // kept, the status bar saying where; a folder that is gone is said, and asked for again.
    void capture()
    {
        TabPage *page = open("before", before());
        QVERIFY(page);
        CaptureActions *capture = page->analysis()->captureActions();
        RecordingPrompts *prompts = m_window->prompts;
        page->timeBar()->setLowerValue(0);
        page->timeBar()->setUpperValue(100);
        const QString folder = m_dir.filePath("captures");
        QVERIFY(QDir().mkpath(folder));
        const QString base = folder + "/2.4GHz_"
            + QDateTime::fromMSecsSinceEpoch(k_t0 + 9900).toString("yyyy-MM-ddTHHmmss");

        const int dialogs = prompts->fileDialogs.size();
        prompts->fileAnswers << QUrl::fromLocalFile(folder);
        capture->captureAction(SpectrumTraces::Kind::MaxHold)->trigger();
        capture->captureAction(SpectrumTraces::Kind::Average)->trigger();
        capture->captureAction(SpectrumTraces::Kind::MaxHold)->trigger();
        QCOMPARE(prompts->fileDialogs.size(), dialogs + 1);
        QVERIFY(prompts->fileDialogs.last().startsWith("Capture Folder|"));
        const QVector<double> window = maxHoldOf(measured(before(), 0, 100));
        QStringList maxHold;
        for (int j = 0; j < 501; ++j)
            maxHold << mhz(j) + ", " + QString::number(window.at(j), 'f', 1);
        QCOMPARE(linesOf(base + "_max.txt"), maxHold);
        QCOMPARE(linesOf(base + "_max-2.txt"), maxHold);
        const QStringList average = linesOf(base + "_average.txt");
        QCOMPARE(average.size(), 501);
        QCOMPARE(average.at(250), mhz(250) + ", -77.5");
        QCOMPARE(m_window->statusBar()->currentMessage(),
                 "Captured the Max Hold in view to " + QDir::toNativeSeparators(base)
                     + "_max-2.txt");

        QVERIFY(QDir(folder).removeRecursively());
        capture->captureAction(SpectrumTraces::Kind::Average)->trigger();
        QVERIFY2(prompts->criticals.last().startsWith("The scan was not captured."),
                 qPrintable(prompts->criticals.last()));
        const int criticals = prompts->criticals.size();
        capture->captureAction(SpectrumTraces::Kind::Average)->trigger(); // asked, cancelled
        QCOMPARE(prompts->fileDialogs.size(), dialogs + 2);
        QCOMPARE(prompts->criticals.size(), criticals);
    }
};

QUORVEX_TEST_MAIN(TestSpectrumAnalysis)
#include "tst_spectrumanalysis.moc"
