#include "PromptRecorder.h"
#include "QuorvexTest.h"
#include "plots/TavPlotSpectrogram.h"
#include "plots/TimeScaleDraw.h"
#include "plots/WaterfallData.h"
#include "plots/WaterfallPlot.h"
#include "plots/WfTrackPicker.h"
#include "widgets/AppStyle.h"

#include <qwt_plot_marker.h>
#include <qwt_scale_draw.h>
#include <qwt_scale_widget.h>

#include <QFile>
#include <QHash>
#include <QPainter>

namespace {

constexpr qint64 k_start = 1700000000000;

// count samples period ms apart; sample i holds the values i, i + 1, ... (as dBm).
QList<RfSpectrumSample> samples(int count, qint64 period, int columns = 4)
{
    QList<RfSpectrumSample> list;
    for (int i = 0; i < count; ++i) {
        RfSpectrumSample s;
        s.timestamp = k_start + i * period;
        for (int j = 0; j < columns; ++j)
            s.scan.append(qint8(-100 + i + j));
        list.append(s);
    }
    return list;
}

// A canvas of some hundred pixel rows: a row per sample for the windows below.
void setUpBand(WaterfallPlot &plot, QSize size = QSize(800, 600))
{
    plot.resize(size);
    plot.updateLayout();
    plot.setAxisScale(QwtPlot::xBottom, 2400.0, 2500.0);
    plot.setDataInterval(Qt::XAxis, QwtInterval(2400.0, 2500.0));
    plot.setDataInterval(Qt::ZAxis, QwtInterval(-100.0, -30.0));
}

} // namespace

class TestWaterfallPlot : public QObject
{
    Q_OBJECT

private:
    static void click(WaterfallPlot &plot, Qt::MouseButton button, double mhz, qint64 ms)
    {
        const QPoint pixel(qRound(plot.canvasMap(QwtPlot::xBottom).transform(mhz)),
                           qRound(plot.canvasMap(QwtPlot::yLeft).transform(double(ms))));
        QTest::mouseClick(plot.canvas(), button, Qt::NoModifier, pixel);
    }

    static double axisMin(const QwtPlot &plot)
    {
        return plot.axisScaleDiv(QwtPlot::yLeft).lowerBound();
    }
    static double axisMax(const QwtPlot &plot)
    {
        return plot.axisScaleDiv(QwtPlot::yLeft).upperBound();
    }

    // Pixels of an axis that its own drawing puts there (labels, ticks, backbone) but that
    // the whole plot shows otherwise: covered by a neighbour.
    static int coveredInk(QwtPlot &plot, int axis)
    {
        QwtScaleWidget *widget = plot.axisWidget(axis);
        const QImage own = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage whole = plot.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QHash<QRgb, int> counts;
        for (int y = 0; y < own.height(); ++y) {
            for (int x = 0; x < own.width(); ++x)
                ++counts[own.pixel(x, y)];
        }
        QRgb background = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
            if (it.value() > counts.value(background))
                background = it.key();
        }
        int covered = 0;
        for (int y = 0; y < own.height(); ++y) {
            for (int x = 0; x < own.width(); ++x) {
                const QRgb ink = own.pixel(x, y);
                if (ink != background && whole.pixel(widget->pos() + QPoint(x, y)) != ink)
                    ++covered;
            }
        }
        return covered;
    }

private Q_SLOTS:
    // Under the program's style sheet, which paints every widget's background, no axis
    // covers another's labels (the rotated time labels' axis once hid the first frequency
    // label when a time label stood at the bottom).
    void axisLabelsReadable_data()
    {
        QTest::addColumn<bool>("channelAxis");
        QTest::addColumn<QSize>("size");
        QTest::newRow("2.4 GHz") << true << QSize(1200, 700);
        QTest::newRow("900 MHz, small") << false << QSize(700, 420);
    }

    void axisLabelsReadable()
    {
        QFETCH(bool, channelAxis);
        QFETCH(QSize, size);
        const QString sheet = AppStyle::sheet();
        QVERIFY(!sheet.isEmpty());
        qApp->setStyleSheet(sheet);
        {
            WaterfallPlot plot;
            setUpBand(plot);
            plot.enableAxis(QwtPlot::xTop, channelAxis);
            plot.resize(size);
            plot.show();
            QVERIFY(QTest::qWaitForWindowExposed(&plot));
            // Two minutes that start on a tick: a time label stands at the very bottom.
            plot.setData(samples(121, 1000));
            plot.replot();
            QCoreApplication::processEvents();
            for (const int axis :
                 {int(QwtPlot::yLeft), int(QwtPlot::xBottom), int(QwtPlot::xTop)}) {
                if (plot.axisEnabled(axis))
                    QVERIFY2(coveredInk(plot, axis) == 0, qPrintable(QString("axis %1").arg(axis)));
            }
        }
        qApp->setStyleSheet(QString());
    }

    void construction()
    {
        const double before = double(QDateTime::currentMSecsSinceEpoch());
        WaterfallPlot plot;
        const double after = double(QDateTime::currentMSecsSinceEpoch());
        plot.updateAxes();
        QCOMPARE(plot.axisTitle(QwtPlot::yLeft).text(), QString("Time [h:m:s]"));
        QCOMPARE(plot.axisTitle(QwtPlot::xBottom).text(), QString("Frequency [MHz]"));
        QCOMPARE(plot.axisTitle(QwtPlot::xTop).text(), QString("Wi-Fi Channel"));
        QVERIFY(!plot.axisEnabled(QwtPlot::xTop));
        QCOMPARE(plot.axisScaleDraw(QwtPlot::xTop)->label(2437.0).text(), QString("6"));
        QVERIFY(dynamic_cast<const TimeScaleDraw *>(plot.axisScaleDraw(QwtPlot::yLeft)));
        QVERIFY(axisMax(plot) >= before && axisMax(plot) <= after);
        QCOMPARE(axisMax(plot) - axisMin(plot), 120000.0);
        QCOMPARE(plot.waterfallData()->interval(Qt::ZAxis), QwtInterval(-100.0, -30.0));
    }

    void oneSample()
    {
        WaterfallPlot plot;
        setUpBand(plot);
        plot.setData(samples(1, 0, 501));
        QCOMPARE(plot.waterfallData()->numRows(), 1);
        QCOMPARE(plot.waterfallData()->numColumns(), 501);
        QCOMPARE(plot.waterfallData()->interval(Qt::YAxis),
                 QwtInterval(double(k_start), double(k_start)));
        QCOMPARE(axisMin(plot), double(k_start - 120000));
        QCOMPARE(axisMax(plot), double(k_start));
        // Rows have no duration: no amplitude anywhere.
        QVERIFY(plot.tracker()
                    ->trackerTextF(QPointF(2450.0, double(k_start)))
                    .text()
                    .endsWith("Amplitude: N/A"));
    }

    // A waterfall drawn on a canvas of no height (a row not laid out yet) draws nothing, and
    // computes no cell from the position its pixels map to (not a number).
    void canvasOfNoHeight()
    {
        WaterfallPlot plot;
        setUpBand(plot);
        plot.setData(samples(8, 1000, 501));
        QwtScaleMap xMap;
        xMap.setPaintInterval(0, 99);
        xMap.setScaleInterval(2400.0, 2500.0);
        QwtScaleMap yMap;
        yMap.setPaintInterval(0, 0);
        yMap.setScaleInterval(double(k_start + 7000), double(k_start));
        QImage image(100, 2, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            plot.spectrogramItem()->draw(&painter, xMap, yMap, QRectF(0, 0, 100, 2));
        }
        for (int x = 0; x < 100; ++x)
            QCOMPARE(qAlpha(image.pixel(x, 0)), 0);
    }

    void axisSpan_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<qint64>("period");
        QTest::addColumn<qint64>("span");
        QTest::newRow("30 s of samples") << 61 << qint64(500) << qint64(120000);
        QTest::newRow("exactly 2 min") << 241 << qint64(500) << qint64(120000);
        QTest::newRow("5 min of samples") << 301 << qint64(1000) << qint64(300000);
    }

    // The left axis spans at least the two-minute window, the newest sample on top.
    void axisSpan()
    {
        QFETCH(int, count);
        QFETCH(qint64, period);
        QFETCH(qint64, span);
        WaterfallPlot plot;
        setUpBand(plot);
        const QList<RfSpectrumSample> data = samples(count, period);
        plot.setData(data);
        QCOMPARE(axisMax(plot), double(data.last().timestamp));
        QCOMPARE(axisMax(plot) - axisMin(plot), double(span));
        QCOMPARE(plot.waterfallData()->numRows(), count);
        QCOMPARE(plot.waterfallData()->interval(Qt::YAxis),
                 QwtInterval(double(data.first().timestamp), double(data.last().timestamp)));
        // An empty list changes nothing.
        plot.setData({});
        QCOMPARE(plot.waterfallData()->numRows(), count);
    }

    // More samples than the canvas has pixel rows: each row is the highest value of the
    // samples it covers, a burst between rows included; the rows follow the canvas's height.
    void rowsOfLongWindows()
    {
        WaterfallPlot plot;
        setUpBand(plot, QSize(400, 200));
        const int rows = plot.canvas()->height();
        QVERIFY(rows > 20 && rows < 200);
        QList<RfSpectrumSample> data = samples(5000, 100, 6);
        data[1234].scan[3] = qint8(20); // one burst in one sample
        plot.setData(data);
        const WaterfallData *waterfall = plot.waterfallData();
        QCOMPARE(waterfall->numRows(), rows);
        QCOMPARE(waterfall->sweepCount(), 5000);
        for (int row = 0; row < rows; ++row) {
            const int from = row * 5000 / rows;
            const int to = (row + 1) * 5000 / rows;
            for (int col = 0; col < 6; ++col) {
                int highest = -128;
                for (int i = from; i < to; ++i)
                    highest = qMax(highest, int(data.at(i).scan.at(col)));
                QCOMPARE(waterfall->cell(row, col), double(highest));
            }
        }
        plot.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plot));
        plot.resize(400, 500);
        QTRY_COMPARE(waterfall->numRows(), plot.canvas()->height());
        QVERIFY(waterfall->numRows() > rows);
    }

    void tracker()
    {
        WaterfallPlot plot;
        setUpBand(plot);
        // 61 samples over 30 s: rows of 491 ms (30000 / 61, truncated), axis 2 minutes.
        const QList<RfSpectrumSample> data = samples(61, 500);
        plot.setData(data);
        WfTrackPicker *tracker = plot.tracker();
        const qint64 last = data.last().timestamp;
        const QString newest = tracker->trackerTextF(QPointF(2420.0, double(last) - 100.0)).text();
        const QString time = QDateTime::fromMSecsSinceEpoch(last - 100).time().toString("hh:mm:ss");
        // Column 0 (2400 ... 2425 MHz of 4 columns), newest row: -100 + 60.
        QCOMPARE(newest, "Frequency: 2420.0\nTime: " + time + "\nAmplitude: -40");
        QCOMPARE(tracker->trackerTextF(QPointF(2420.0, double(last))).renderFlags(),
                 int(Qt::AlignCenter));
        // The last column at the right edge.
        QVERIFY(tracker->trackerTextF(QPointF(2500.0, double(last) - 100.0))
                    .text()
                    .endsWith("Amplitude: -37"));
        // Ten rows down.
        QVERIFY(tracker->trackerTextF(QPointF(2420.0, double(last) - 10 * 491 - 100.0))
                    .text()
                    .endsWith("Amplitude: -50"));
        // Below the oldest row the axis still runs on: no sample there.
        QVERIFY(tracker->trackerTextF(QPointF(2420.0, double(last) - 60000.0))
                    .text()
                    .endsWith("Amplitude: N/A"));
    }

    void eventsWithTheMouse()
    {
        WaterfallPlot plot;
        setUpBand(plot);
        PromptRecorder prompts;
        plot.setPrompts(prompts.prompts());
        plot.setData(samples(241, 500));
        plot.resize(900, 700);
        plot.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plot));
        plot.replot();
        QList<TimeEvent> added;
        QList<TimeEvent> removed;
        connect(&plot, &WaterfallPlot::timeEventAdded, [&](TimeEvent e) { added.append(e); });
        connect(&plot, &WaterfallPlot::timeEventRemoved, [&](TimeEvent e) { removed.append(e); });

        const qint64 t = k_start + 60000;
        prompts.textAnswers = QStringList{"door opened"};
        click(plot, Qt::LeftButton, 2450.0, t);
        QCOMPARE(added.size(), 1);
        const TimeEvent event = added.first();
        QCOMPARE(event.text, QString("door opened"));
        // The moment is the clicked time, to the millisecond the pixel stands for.
        const qint64 msPerPixel = qint64(120000.0 / plot.canvas()->height()) + 1;
        QVERIFY(qAbs(event.dateTime.toMSecsSinceEpoch() - t) <= msPerPixel);
        QCOMPARE(event.dateTime.timeSpec(), Qt::LocalTime);
        QCOMPARE(plot.timeEvents(), QList<TimeEvent>{event});
        QwtPlotMarker *marker = plot.eventMarkers().first();
        QCOMPARE(marker->lineStyle(), QwtPlotMarker::HLine);
        QCOMPARE(marker->labelAlignment(), Qt::AlignLeft | Qt::AlignBottom);

        const qint64 at = event.dateTime.toMSecsSinceEpoch();
        // 3 s below it: that event is edited, at its own time, without a signal.
        prompts.textAnswers = QStringList{"door closed"};
        click(plot, Qt::LeftButton, 2430.0, at - 3000);
        QCOMPARE(prompts.initialTexts.last(), QString("door opened"));
        QCOMPARE(added.size(), 1);
        QCOMPARE(plot.timeEvents().size(), 1);
        QCOMPARE(plot.timeEvents().first().text, QString("door closed"));
        QCOMPARE(plot.eventMarkers().first()->value().y(), double(at));
        // 6 s below and 1 s above: new events.
        prompts.textAnswers = QStringList{"below", "above"};
        click(plot, Qt::LeftButton, 2430.0, at - 6000);
        click(plot, Qt::LeftButton, 2430.0, at + 1000);
        QCOMPARE(prompts.initialTexts.mid(2), (QStringList{QString(), QString()}));
        QCOMPARE(added.size(), 3);
        QCOMPARE(plot.timeEvents().size(), 3);
        // Cancelled: nothing.
        prompts.textAnswers = QStringList{QString()};
        click(plot, Qt::LeftButton, 2430.0, at - 30000);
        QCOMPARE(added.size(), 3);

        // A right click hitting the first and the third event removes the first only.
        prompts.yesNoAnswers = {true, true};
        click(plot, Qt::RightButton, 2430.0, at - 2000);
        QCOMPARE(prompts.questions, QStringList{"Remove event|Do you want to remove the event?"});
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed.first(), (TimeEvent{event.dateTime, "door closed"}));
        QCOMPARE(plot.timeEvents().size(), 2);
        QCOMPARE(plot.eventMarkers().size(), 2);
        // Answered No: stays.
        prompts.yesNoAnswers = {false};
        click(plot, Qt::RightButton, 2430.0, at - 2000);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(plot.timeEvents().size(), 2);
    }

    void storedEvents()
    {
        WaterfallPlot plot;
        setUpBand(plot);
        int signalCount = 0;
        connect(&plot, &WaterfallPlot::timeEventAdded, [&] { ++signalCount; });
        const TimeEvent a{QDateTime::fromMSecsSinceEpoch(k_start), "a"};
        const TimeEvent b{QDateTime::fromMSecsSinceEpoch(k_start + 5000), "b"};
        plot.setTimeEvents({a});
        plot.setTimeEvents({b});
        QCOMPARE(plot.timeEvents(), (QList<TimeEvent>{a, b}));
        QCOMPARE(plot.eventMarkers().at(1)->value(), QPointF(2450.0, double(k_start + 5000)));
        QCOMPARE(plot.eventMarkers().at(1)->label().text(), QString("b"));
        QCOMPARE(plot.eventMarkers().at(1)->plot(), &plot);
        QCOMPARE(signalCount, 0);
    }
};

QUORVEX_TEST_MAIN(TestWaterfallPlot)
#include "tst_waterfallplot.moc"
