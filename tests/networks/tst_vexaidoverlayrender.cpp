#include "QuorvexTest.h"
#include "data/Constants.h"
#include "networks/VexaIdOverlay.h"
#include "plots/SpectroPlot.h"
#include "sim/SimulatedSweepGenerator.h"
#include "widgets/AppStyle.h"

#include <qwt_plot_canvas.h>
#include <qwt_scale_map.h>

// The overlay drawn on a real spectrogram fed with the simulated site's sweeps: the boxes appear
// in their types' colours over their ranges, at their levels, and go when deselected. Set
// QUORVEX_SCREENSHOT_DIR to keep the picture.
class TestVexaIdOverlayRender : public QObject
{
    Q_OBJECT

private:
    static QList<RfSpectrumSample> simulatedSweeps(int count)
    {
        const SimulatedSweepGenerator generator(3);
        QList<RfSpectrumSample> samples;
        for (int i = 0; i < count; ++i)
            samples.append(
                {1765200000000 + 45 * i, generator.sweep(2400.0, 0.2, 501, quint64(i)), {}});
        return samples;
    }

    // The canvas pixel of a plot point.
    static QPoint pixel(const QwtPlot &plot, double mhz, double dbm)
    {
        const QwtScaleMap x = plot.canvasMap(QwtPlot::xBottom);
        const QwtScaleMap y = plot.canvasMap(QwtPlot::yLeft);
        return QPoint(qRound(x.transform(mhz)), qRound(y.transform(dbm)));
    }

private Q_SLOTS:
    void boxesOnTheSpectrogram()
    {
        qApp->setStyleSheet(AppStyle::sheet());

        SpectroPlot plot;
        plot.setDataInterval(Qt::XAxis, QwtInterval(2400.0, 2500.0));
        plot.setDataInterval(Qt::YAxis, QwtInterval(-100.0, -30.0));
        plot.setAxisScale(QwtPlot::xBottom, 2400.0, 2500.0);
        plot.resize(1400, 800);
        plot.setData(simulatedSweeps(600));
        plot.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plot));

        VexaIdOverlay overlay(&plot);
        // 24150 spans the band's middle; 24110 and 24130 sit under it, one level down.
        overlay.showVexaIds({24110, 24150, 24130});
        QCOMPARE(overlay.level(24150), 0);
        QCOMPARE(overlay.level(24110), 1);
        QCOMPARE(overlay.level(24130), 1);
        QCoreApplication::processEvents();
        QImage image = plot.canvas()->grab().toImage();

        if (!qEnvironmentVariableIsEmpty("QUORVEX_SCREENSHOT_DIR"))
            plot.grab().save(qEnvironmentVariable("QUORVEX_SCREENSHOT_DIR") + "/vexa-overlay.png");

        // The top edges: 24150 (Adaptive, orange) at -50 dBm; 24110 (Low, green) at -54 dBm.
        const QColor adaptive = image.pixelColor(pixel(plot, 2440.0, -50.0));
        QVERIFY2(adaptive.red() > 200 && adaptive.green() > 60 && adaptive.green() < 160
                     && adaptive.blue() < 60,
                 qPrintable(adaptive.name()));
        const QColor low = image.pixelColor(pixel(plot, 2413.5, -54.0));
        QVERIFY2(low.green() > 200 && low.red() < 80 && low.blue() < 80, qPrintable(low.name()));
        // Above 24110's top, inside 24150: no green edge.
        const QColor above = image.pixelColor(pixel(plot, 2413.5, -52.0));
        QVERIFY2(above.green() < 200 || above.red() > 150, qPrintable(above.name()));

        overlay.showVexaIds({});
        QCoreApplication::processEvents();
        image = plot.canvas()->grab().toImage();
        const QColor gone = image.pixelColor(pixel(plot, 2440.0, -50.0));
        QVERIFY2(!(gone.red() > 200 && gone.green() > 60 && gone.green() < 160 && gone.blue() < 60),
                 qPrintable(gone.name()));
    }
};

QUORVEX_TEST_MAIN(TestVexaIdOverlayRender)
#include "tst_vexaidoverlayrender.moc"
