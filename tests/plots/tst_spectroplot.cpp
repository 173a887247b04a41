#include "PromptRecorder.h"
#include "QuorvexTest.h"
#include "plots/HighlightSpectrogram.h"
#include "plots/SpTrackPicker.h"
#include "plots/SpectroPlot.h"
#include "plots/SpectrogramData.h"
#include "plots/TavMatrixRasterData.h"
#include "plots/TavPlotMarker.h"
#include "plots/WifiCurve.h"
#include "plots/WifiMarker.h"
#include <qwt_plot_curve.h>

#include <qwt_scale_draw.h>

namespace {

RfSpectrumSample sample(qint64 time, const QVector<int> &values)
{
    RfSpectrumSample s;
    s.timestamp = time;
    for (int v : values)
        s.scan.append(qint8(v));
    return s;
}

QList<RfSpectrumSample> samplesOf(const QVector<int> &firstColumn)
{
    QList<RfSpectrumSample> samples;
    for (int i = 0; i < firstColumn.size(); ++i)
        samples.append(sample(1000 + 50 * i, {firstColumn.at(i), -90, -90}));
    return samples;
}

// The plot set up as a band page sets it: 3 columns over 2400 ... 2500 MHz.
void setUpBand(SpectroPlot &plot)
{
    plot.setAxisScale(QwtPlot::xBottom, 2400.0, 2500.0);
    plot.setAxisScale(QwtPlot::yLeft, -100.0, -30.0);
    plot.setDataInterval(Qt::XAxis, QwtInterval(2400.0, 2500.0));
    plot.setDataInterval(Qt::YAxis, QwtInterval(-100.0, -30.0));
}

double density(const SpectroPlot &plot, int row, int col = 0)
{
    return plot.densityData()->valueMatrix().at(row * 3 + col);
}

double tip(const SpectroPlot &plot, int row, int col = 0)
{
    return plot.highlightData()->valueMatrix().at(row * 3 + col);
}

WifiApInfo accessPoint(const QString &ssid, int frequency, int rssi)
{
    WifiApInfo ap;
    ap.bssid = "aa:bb:cc:dd:ee:" + QString::number(frequency % 100);
    ap.ssid = ssid;
    ap.frequency = frequency;
    ap.rssi = rssi;
    ap.width = 20;
    ap.color = QColor(0x40, 0xc0, 0x80);
    return ap;
}

} // namespace

class TestSpectroPlot : public QObject
{
    Q_OBJECT

private:
    // Clicks at a plot position with a real mouse press and release on the canvas.
    static void click(SpectroPlot &plot, Qt::MouseButton button, const QPointF &pos)
    {
        const QPoint pixel(qRound(plot.canvasMap(QwtPlot::xBottom).transform(pos.x())),
                           qRound(plot.canvasMap(QwtPlot::yLeft).transform(pos.y())));
        QTest::mouseClick(plot.canvas(), button, Qt::NoModifier, pixel);
    }

    static void show(SpectroPlot &plot)
    {
        plot.resize(900, 600);
        plot.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plot));
        plot.replot();
    }

private Q_SLOTS:
    void construction()
    {
        SpectroPlot plot;
        QCOMPARE(plot.axisTitle(QwtPlot::xBottom).text(), QString("Frequency [MHz]"));
        QCOMPARE(plot.axisTitle(QwtPlot::yLeft).text(), QString("Amplitude [dBm]"));
        QCOMPARE(plot.axisTitle(QwtPlot::xTop).text(), QString("Wi-Fi Channel"));
        QVERIFY(!plot.axisEnabled(QwtPlot::xTop));
        QCOMPARE(plot.highlightData()->resampleMode(), TavMatrixRasterData::BicubicInterpolation);
        QCOMPARE(plot.highlightData()->interval(Qt::ZAxis), QwtInterval(0.0, 1.0));
        QCOMPARE(plot.highlightData()->valueMatrix(), QVector<double>{0.0});
        QCOMPARE(plot.spectrogramItem()->renderThreadCount(), 0u);
        // The highlight is drawn after (over) the density.
        const QwtPlotItemList items = plot.itemList(QwtPlotItem::Rtti_PlotSpectrogram);
        QCOMPARE(items.size(), 2);
        QCOMPARE(items.at(0), plot.spectrogramItem());
        QCOMPARE(items.at(1), plot.highlightItem());
    }

    void densityCases_data()
    {
        QTest::addColumn<QVector<int>>("values");
        QTest::addColumn<QVector<double>>("densityByRow"); // rows 0 ... 69 of column 0
        QTest::addColumn<QVector<int>>("tipRows");
        QTest::addColumn<QVector<double>>("tipValues");
        QTest::addColumn<double>("average");
        QTest::addColumn<int>("max");
        QTest::addColumn<double>("axisTop");

        const auto rows = [](int full, int half, double fraction = 0.5) {
            QVector<double> d(70, 0.0);
            for (int r = 0; r < full; ++r)
                d[r] = 1.0;
            for (int r = full; r < full + half; ++r)
                d[r] = fraction;
            return d;
        };
        QTest::newRow("one sweep at -60") << QVector<int>{-60} << rows(40, 0) << QVector<int>{39}
                                          << QVector<double>{1.0} << -60.0 << -60 << -50.0;
        QTest::newRow("-60 and -80")
            << QVector<int>{-60, -80} << rows(20, 20) << QVector<int>{19, 39}
            << QVector<double>{1.0, 1.0} << -70.0 << -60 << -50.0;
        QTest::newRow("twice -60") << QVector<int>{-60, -60} << rows(40, 0) << QVector<int>{39}
                                   << QVector<double>{0.5} << -60.0 << -60 << -50.0;
        QTest::newRow("three times -60")
            << QVector<int>{-60, -60, -60} << rows(40, 0) << QVector<int>{39}
            << QVector<double>{0.25} << -60.0 << -60 << -50.0;
        QTest::newRow("bottom adds nothing")
            << QVector<int>{-60, -100} << rows(0, 40) << QVector<int>{39} << QVector<double>{1.0}
            << -80.0 << -60 << -50.0;
        QTest::newRow("gap filler adds nothing")
            << QVector<int>{-60, -128} << rows(0, 40) << QVector<int>{39} << QVector<double>{1.0}
            << -94.0 << -60 << -50.0;
        QTest::newRow("above the top") << QVector<int>{-25} << rows(65, 0) << QVector<int>{}
                                       << QVector<double>{} << -25.0 << -25 << -23.0;
        QTest::newRow("at the top") << QVector<int>{-30} << rows(70, 0) << QVector<int>{}
                                    << QVector<double>{} << -30.0 << -30 << -28.0;
    }

    void densityCases()
    {
        QFETCH(QVector<int>, values);
        QFETCH(QVector<double>, densityByRow);
        QFETCH(QVector<int>, tipRows);
        QFETCH(QVector<double>, tipValues);
        QFETCH(double, average);
        QFETCH(int, max);
        QFETCH(double, axisTop);

        SpectroPlot plot;
        setUpBand(plot);
        plot.setData(samplesOf(values));
        QCOMPARE(plot.densityData()->numColumns(), 3);
        QCOMPARE(plot.densityData()->numRows(), 70);
        for (int r = 0; r < 70; ++r)
            QVERIFY2(qAbs(density(plot, r) - densityByRow.at(r)) < 1e-12,
                     qPrintable(QString("row %1: %2").arg(r).arg(density(plot, r))));
        for (int r = 0; r < 70; ++r) {
            const int i = tipRows.indexOf(r);
            QCOMPARE(tip(plot, r), i >= 0 ? tipValues.at(i) : 0.0);
        }
        QCOMPARE(plot.axisScaleDiv(QwtPlot::yLeft).lowerBound(), -100.0);
        QCOMPARE(plot.axisScaleDiv(QwtPlot::yLeft).upperBound(), axisTop);
        // Average and max reach the user through the read-out.
        const QString text = plot.tracker()->trackerTextF(QPointF(2401.0, -95.5)).text();
        QVERIFY2(text.contains(QString("Average: %1\n").arg(average, 0, 'f', 1)), qPrintable(text));
        QVERIFY2(text.endsWith(QString("Max: %1").arg(max)), qPrintable(text));
    }

    void emptyListKeepsTheImage()
    {
        SpectroPlot plot;
        setUpBand(plot);
        plot.setData(samplesOf({-60}));
        const QVector<double> before = plot.densityData()->valueMatrix();
        plot.setData({});
        QCOMPARE(plot.densityData()->valueMatrix(), before);
    }

    void tracker()
    {
        SpectroPlot plot;
        setUpBand(plot);
        QList<RfSpectrumSample> samples{sample(1, {-60, -70, -45}), sample(2, {-80, -70, -41})};
        plot.setData(samples);
        SpTrackPicker *tracker = plot.tracker();
        QCOMPARE(tracker->trackerTextF(QPointF(2410.0, -75.5)).text(),
                 QString("Frequency: 2410.0\nAmplitude: -75.5\nDensity: 50.00%\n"
                         "Current: -80\nAverage: -70.0\nMax: -60"));
        QCOMPARE(tracker->trackerTextF(QPointF(2410.0, -75.5)).renderFlags(),
                 int(Qt::AlignHCenter | Qt::AlignVCenter));
        // The last column at the band's right edge.
        QVERIFY(tracker->trackerTextF(QPointF(2500.0, -60.0))
                    .text()
                    .endsWith("Current: -41\nAverage: -43.0\nMax: -41"));
        // Outside the axes: nothing.
        QVERIFY(tracker->trackerTextF(QPointF(2399.0, -60.0)).isEmpty());
        QVERIFY(tracker->trackerTextF(QPointF(2450.0, -20.0)).isEmpty());
        // The axis now ends at -39 (top -41 + 2); the read-out is still that of the cell drawn
        // under the mouse: -60.5 dBm lies in row 39, above -61 dBm, where one of two sweeps
        // reached.
        plot.setData(samples);
        QCOMPARE(plot.axisScaleDiv(QwtPlot::yLeft).upperBound(), -39.0);
        QVERIFY(tracker->trackerTextF(QPointF(2410.0, -60.5)).text().contains("Density: 50.00%"));
        QVERIFY(tracker->trackerTextF(QPointF(2410.0, -59.5)).text().contains("Density: 0.00%"));
        // The tracker box is the library's text rectangle grown by 2 pixels.
        QVERIFY(tracker->trackerRect(plot.font()).isEmpty());
    }

    void labelsWithTheMouse()
    {
        SpectroPlot plot;
        setUpBand(plot);
        PromptRecorder prompts;
        plot.setPrompts(prompts.prompts());
        show(plot);
        QList<SpectroLabel> added;
        QList<SpectroLabel> removed;
        connect(&plot, &SpectroPlot::spectroLabelAdded, [&](SpectroLabel l) { added.append(l); });
        connect(&plot, &SpectroPlot::spectroLabelRemoved,
                [&](SpectroLabel l) { removed.append(l); });

        // Outside any label: a new label where the mouse was pressed.
        prompts.textAnswers = QStringList{"AP on 6"};
        click(plot, Qt::LeftButton, QPointF(2430.0, -60.0));
        QCOMPARE(prompts.initialTexts, QStringList{QString()});
        QCOMPARE(added.size(), 1);
        const SpectroLabel first = added.at(0);
        QCOMPARE(first.text, QString("AP on 6"));
        QVERIFY(qAbs(first.pos.x() - 2430.0) < 0.5 && qAbs(first.pos.y() + 60.0) < 0.5);
        QCOMPARE(plot.spectroLabels(), QList<SpectroLabel>{first});
        QCOMPARE(plot.labelMarkers().first()->plot(), &plot);
        QCOMPARE(plot.labelMarkers().first()->labelWidth(), 200.0);

        // Inside its area (15 MHz right, 10 dB down): edited in place, no signal.
        TavPlotMarker *oldMarker = plot.labelMarkers().first();
        prompts.textAnswers = QStringList{"Edited"};
        click(plot, Qt::LeftButton, first.pos + QPointF(12.0, -8.0));
        QCOMPARE(prompts.initialTexts.last(), QString("AP on 6"));
        QCOMPARE(added.size(), 1);
        QCOMPARE(plot.spectroLabels().size(), 1);
        QCOMPARE(plot.spectroLabels().first().text, QString("Edited"));
        QCOMPARE(plot.spectroLabels().first().pos, first.pos);
        QVERIFY(plot.labelMarkers().first() != oldMarker);
        QCOMPARE(plot.labelMarkers().first()->label().text(), QString("Edited"));

        // Cancelled: nothing changes.
        prompts.textAnswers = QStringList{QString()};
        click(plot, Qt::LeftButton, QPointF(2470.0, -70.0));
        QCOMPARE(added.size(), 1);
        QCOMPARE(plot.spectroLabels().size(), 1);

        // A second label overlapping the first; a right click over both asks twice.
        prompts.textAnswers = QStringList{"Second"};
        click(plot, Qt::LeftButton, first.pos + QPointF(5.0, -3.0));
        QCOMPARE(prompts.initialTexts.last(), QString("Edited"));
        QCOMPARE(added.size(), 1); // inside the first label: an edit
        prompts.textAnswers = QStringList{"Second"};
        click(plot, Qt::LeftButton, first.pos + QPointF(5.0, 3.0));
        QCOMPARE(added.size(), 2);
        const SpectroLabel second = added.at(1);

        prompts.yesNoAnswers = {false, true};
        click(plot, Qt::RightButton, first.pos + QPointF(8.0, -2.0));
        QCOMPARE(prompts.questions.size(), 2);
        QCOMPARE(prompts.questions.first(),
                 QString("Remove label|Do you want to remove the label?"));
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed.at(0), second);
        QCOMPARE(plot.spectroLabels().size(), 1);
        QCOMPARE(plot.itemList(QwtPlotItem::Rtti_PlotMarker).size(), 1);

        // A right click beside every label asks nothing.
        click(plot, Qt::RightButton, QPointF(2410.0, -90.0));
        QCOMPARE(prompts.questions.size(), 2);
    }

    // The question runs an event loop; a scan that clears the labels meanwhile (the page's
    // clearHist) leaves nothing to remove, and the edit prompt likewise finds nothing to edit.
    void labelsClearedWhileAsking()
    {
        SpectroPlot plot;
        setUpBand(plot);
        show(plot);
        plot.setSpectroLabels({{QPointF(2430.0, -60.0), "one"}, {QPointF(2432.0, -62.0), "two"}});
        QSignalSpy removed(&plot, &SpectroPlot::spectroLabelRemoved);
        PlotPrompts prompts;
        int asked = 0;
        prompts.askYesNo = [&](const QString &, const QString &) {
            ++asked;
            plot.clearSpectroLabels();
            plot.setSpectroLabels({{QPointF(2431.0, -61.0), "new"}});
            return true;
        };
        prompts.askText = [&](QWidget *, const QString &, QString *text) {
            plot.clearSpectroLabels();
            *text = "edited";
            return true;
        };
        plot.setPrompts(prompts);
        click(plot, Qt::RightButton, QPointF(2435.0, -65.0));
        QCOMPARE(asked, 1); // the second label was gone before its question
        QCOMPARE(removed.count(), 0);
        QCOMPARE(plot.spectroLabels(), (QList<SpectroLabel>{{QPointF(2431.0, -61.0), "new"}}));

        click(plot, Qt::LeftButton, QPointF(2435.0, -65.0));
        QVERIFY(plot.spectroLabels().isEmpty());
        QVERIFY(plot.itemList(QwtPlotItem::Rtti_PlotMarker).isEmpty());
    }

    // Max Hold and Average: one point per bin at its centre, the column's maximum and mean;
    // shown only while switched on, and then part of what the plot draws. Gap filler (written
    // while the other band was swept) pulls neither down, nor thins the density.
    void traces()
    {
        SpectroPlot plot;
        setUpBand(plot);
        plot.resize(900, 500);
        QList<RfSpectrumSample> window;
        for (int s = 0; s < 4; ++s) {
            RfSpectrumScan scan(501, qint8(-95));
            scan[250] = qint8(-70 + 10 * s); // -70, -60, -50, -40
            window << RfSpectrumSample{1700000000000 + 2 * s, scan, {}}
                   << RfSpectrumSample{1700000000001 + 2 * s, RfSpectrumScan(501, qint8(-128)), {}};
        }
        plot.setData(window);
        // Every sweep reached -96 ... -95 at column 0.
        QCOMPARE(plot.densityData()->valueMatrix().at(4 * 501), 1.0);
        const QwtSeriesData<QPointF> *maxima = plot.maxHoldCurve()->data();
        const QwtSeriesData<QPointF> *means = plot.averageCurve()->data();
        QCOMPARE(int(maxima->size()), 501);
        QCOMPARE(maxima->sample(250), QPointF(2400.0 + 250.5 * 100.0 / 501, -40.0));
        QCOMPARE(means->sample(250).y(), -55.0);
        QCOMPARE(maxima->sample(0).y(), -95.0);
        QCOMPARE(means->sample(500).y(), -95.0);
        QVERIFY(!plot.maxHoldCurve()->plot() && !plot.averageCurve()->plot());

        plot.setMaxHoldShown(true);
        plot.setAverageShown(true);
        QCOMPARE(plot.maxHoldCurve()->plot(), &plot);
        const QImage shown = plot.grab().toImage();
        const QPoint peak = plot.canvas()->pos()
            + QPoint(int(plot.transform(QwtPlot::xBottom, maxima->sample(250).x())),
                     int(plot.transform(QwtPlot::yLeft, -40.0)));
        QCOMPARE(QColor(shown.pixel(peak)), QColor(Qt::white));
        plot.setMaxHoldShown(false);
        QVERIFY(!plot.maxHoldCurve()->plot());
        QVERIFY(QColor(plot.grab().toImage().pixel(peak)) != QColor(Qt::white));
    }

    void storedLabels()
    {
        SpectroPlot plot;
        int signalCount = 0;
        connect(&plot, &SpectroPlot::spectroLabelAdded, [&] { ++signalCount; });
        connect(&plot, &SpectroPlot::spectroLabelRemoved, [&] { ++signalCount; });
        const QList<SpectroLabel> labels{{QPointF(2412.0, -60.0), "one"},
                                         {QPointF(2450.0, -70.0), "two"}};
        plot.setSpectroLabels(labels);
        plot.setSpectroLabels({labels.first()});
        QCOMPARE(plot.spectroLabels().size(), 3);
        QCOMPARE(plot.itemList(QwtPlotItem::Rtti_PlotMarker).size(), 3);
        TavPlotMarker *marker = plot.labelMarkers().at(1);
        QCOMPARE(marker->value(), QPointF(2450.0, -70.0));
        QCOMPARE(marker->labelAlignment(), Qt::AlignRight | Qt::AlignBottom);
        QVERIFY(marker->label().renderFlags() & Qt::TextWordWrap);
        QCOMPARE(marker->lineStyle(), QwtPlotMarker::NoLine);
        plot.clearSpectroLabels();
        QVERIFY(plot.spectroLabels().isEmpty());
        QVERIFY(plot.itemList(QwtPlotItem::Rtti_PlotMarker).isEmpty());
        QCOMPARE(signalCount, 0);
    }

    void wifiOutlines()
    {
        SpectroPlot plot;
        setUpBand(plot);
        plot.setAxisScale(QwtPlot::yLeft, -100.0, -50.0);
        plot.setWifiData({accessPoint("office", 2437, -40), accessPoint("", 2412, -70)});
        QCOMPARE(plot.wifiCurves().size(), 2);
        QCOMPARE(plot.wifiMarkers().size(), 2);
        QCOMPARE(plot.itemList(QwtPlotItem::Rtti_PlotCurve).size(), 2);
        QCOMPARE(plot.axisScaleDiv(QwtPlot::yLeft).upperBound(), -36.0);
        // The axis never shrinks for access points; an empty list keeps it.
        plot.setWifiData({accessPoint("weak", 2462, -80)});
        QCOMPARE(plot.wifiCurves().size(), 1);
        QCOMPARE(plot.itemList(QwtPlotItem::Rtti_PlotCurve).size(), 1);
        QCOMPARE(plot.axisScaleDiv(QwtPlot::yLeft).upperBound(), -36.0);
        plot.setWifiData({});
        QCOMPARE(plot.axisScaleDiv(QwtPlot::yLeft).upperBound(), -36.0);
        plot.setWifiData({accessPoint("x", 2437, -60)});
        plot.clearWifiData();
        QVERIFY(plot.wifiCurves().isEmpty());
        QVERIFY(plot.itemList(QwtPlotItem::Rtti_PlotCurve).isEmpty());
        QVERIFY(plot.itemList(QwtPlotItem::Rtti_PlotMarker).isEmpty());
    }

    void channelAxis()
    {
        SpectroPlot plot;
        plot.setWifiZigBee(true);
        QCOMPARE(plot.axisTitle(QwtPlot::xTop).text(), QString("ZigBee Channel"));
        QCOMPARE(plot.axisScaleDiv(QwtPlot::xTop).ticks(QwtScaleDiv::MajorTick).size(), 18);
        QCOMPARE(plot.axisScaleDraw(QwtPlot::xTop)->label(2405.0).text(), QString("11"));
        plot.setWifiZigBee(false);
        QCOMPARE(plot.axisTitle(QwtPlot::xTop).text(), QString("Wi-Fi Channel"));
        QCOMPARE(plot.axisScaleDiv(QwtPlot::xTop).ticks(QwtScaleDiv::MajorTick).size(), 16);
        QCOMPARE(plot.axisScaleDraw(QwtPlot::xTop)->label(2484.0).text(), QString("14"));
        QCOMPARE(plot.axisScaleDiv(QwtPlot::xTop).lowerBound(), 2400.0);
        QCOMPARE(plot.axisScaleDiv(QwtPlot::xTop).upperBound(), 2500.0);
    }
};

QUORVEX_TEST_MAIN(TestSpectroPlot)
#include "tst_spectroplot.moc"
