#include "PlotImage.h"
#include "QuorvexTest.h"
#include "SyntheticSweeps.h"
#include "plots/ColorLookup.h"
#include "plots/HighlightColorMap.h"
#include "plots/HighlightSpectrogram.h"
#include "plots/SpectroColorMap.h"
#include "plots/SpectroPlot.h"
#include "plots/SpectrogramData.h"
#include "plots/TavMatrixRasterData.h"
#include "plots/TavPlotSpectrogram.h"
#include "plots/WaterfallColorMap.h"
#include "plots/WaterfallData.h"
#include "plots/WaterfallPlot.h"

#include <QPainter>
#include <qwt_scale_map.h>
#include <random>

namespace {

// Colours (premultiplied, as drawn) may differ by two levels: the table gives the colour of
// its cell's centre, which is within one level of every value in the cell, and the separable
// sums run in single precision, so a value right at a cell's edge can land in the neighbouring
// cell (about a hundred of two million pixels). Drawn over a background, blending rounds once
// more, which stays within the same bound.
constexpr int k_itemTolerance = 2;
constexpr int k_plotTolerance = 2;

struct Difference
{
    int maxChannel = 0;
    int pixels = 0;
};

Difference compare(const QImage &a, const QImage &b)
{
    Difference d;
    // As the painter stores them: premultiplied by alpha (what shows over the black canvas).
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            const int c = qMax(
                qMax(qAbs(qRed(p[col]) - qRed(q[col])), qAbs(qGreen(p[col]) - qGreen(q[col]))),
                qMax(qAbs(qBlue(p[col]) - qBlue(q[col])), qAbs(qAlpha(p[col]) - qAlpha(q[col]))));
            if (c > 0)
                ++d.pixels;

            d.maxChannel = qMax(d.maxChannel, c);
        }
    }
    return d;
}

// Draws the item into a transparent image the size of the canvas, as the plot would.
QImage drawItem(const QwtPlotItem &item, const QSize &size, const QwtInterval &x,
                const QwtInterval &y)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QwtScaleMap xMap;
    xMap.setScaleInterval(x.minValue(), x.maxValue());
    xMap.setPaintInterval(0, size.width());
    QwtScaleMap yMap;
    yMap.setScaleInterval(y.minValue(), y.maxValue());
    yMap.setPaintInterval(size.height(), 0);
    item.draw(&painter, xMap, yMap, QRectF(QPointF(0, 0), size));
    return image;
}

struct Rendered
{
    QImage library;
    QImage fast;
};

Rendered bothWays(TavPlotSpectrogram &item, const QSize &size, const QwtInterval &x,
                  const QwtInterval &y)
{
    Rendered r;
    item.setFastRendering(false);
    r.library = drawItem(item, size, x, y);
    item.setFastRendering(true);
    r.fast = drawItem(item, size, x, y);
    return r;
}

QList<RfSpectrumSample> sweeps(int count)
{
    return SyntheticSweeps(501, 9).take(count);
}

} // namespace

class TestRasterRender : public QObject
{
    Q_OBJECT

private:
    // One layer of a spectrogram fed with sweeps, drawn on its own both ways: the density, or
    // the highlight not multiplied into the density's image.
    static Difference spectrogramLayerDifference(const QSize &size, double yTop, bool highlight)
    {
        SpectroPlot plot;
        plot.setDataInterval(Qt::XAxis, QwtInterval(2400.0, 2500.0));
        plot.setDataInterval(Qt::YAxis, QwtInterval(-100.0, -30.0));
        plot.setData(sweeps(600));
        plot.spectrogramItem()->setMultipliedLayer(nullptr);
        TavPlotSpectrogram &item = highlight
            ? static_cast<TavPlotSpectrogram &>(*plot.highlightItem())
            : static_cast<TavPlotSpectrogram &>(*plot.spectrogramItem());
        const Rendered r
            = bothWays(item, size, QwtInterval(2400.0, 2500.0), QwtInterval(-100.0, yTop));
        return compare(r.library, r.fast);
    }

private Q_SLOTS:
    // At two device pixels to the logical one (a scale factor of 2), the fast image is rendered
    // at the device's pixels: it matches the item drawn on a canvas twice the size, where the
    // library's way scales the logical-size image up.
    void devicePixels()
    {
        SpectroPlot plot;
        plot.setDataInterval(Qt::XAxis, QwtInterval(2400.0, 2500.0));
        plot.setDataInterval(Qt::YAxis, QwtInterval(-100.0, -30.0));
        plot.setData(sweeps(600));
        TavPlotSpectrogram &item = *plot.spectrogramItem();
        const QwtInterval x(2400.0, 2500.0);
        const QwtInterval y(-100.0, -30.0);
        const QSize logical(480, 250);
        const QImage device = drawItem(item, logical * 2, x, y);

        const auto drawScaled = [&] {
            QImage image(logical * 2, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(2.0);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            QwtScaleMap xMap;
            xMap.setScaleInterval(x.minValue(), x.maxValue());
            xMap.setPaintInterval(0, logical.width());
            QwtScaleMap yMap;
            yMap.setScaleInterval(y.minValue(), y.maxValue());
            yMap.setPaintInterval(logical.height(), 0);
            item.draw(&painter, xMap, yMap, QRectF(QPointF(0, 0), logical));
            return image;
        };
        const Difference fast = compare(device, drawScaled());
        QVERIFY2(fast.maxChannel <= k_itemTolerance, qPrintable(QString::number(fast.maxChannel)));
        item.setFastRendering(false);
        const Difference library = compare(device, drawScaled());
        item.setFastRendering(true);
        QVERIFY(library.pixels > fast.pixels);
    }

    void densityItem_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("yTop");
        QTest::newRow("full screen") << QSize(1920, 1000) << -30.0;
        QTest::newRow("axis above the raster") << QSize(1920, 1000) << -23.0;
        QTest::newRow("small odd size") << QSize(333, 171) << -50.0;
        QTest::newRow("fewer pixels than cells") << QSize(200, 40) << -30.0;
    }

    // The density layer: the library's bilinear matrix raster through the colour map.
    void densityItem()
    {
        QFETCH(QSize, size);
        QFETCH(double, yTop);
        const Difference d = spectrogramLayerDifference(size, yTop, false);
        qInfo("density: %d pixels differ, by at most %d", d.pixels, d.maxChannel);
        QVERIFY2(d.maxChannel <= k_itemTolerance, qPrintable(QString::number(d.maxChannel)));
    }

    void highlightItem_data() { densityItem_data(); }

    // The highlight layer: bicubic over the tip cells, drawn in Multiply mode.
    void highlightItem()
    {
        QFETCH(QSize, size);
        QFETCH(double, yTop);
        const Difference d = spectrogramLayerDifference(size, yTop, true);
        qInfo("highlight: %d pixels differ, by at most %d", d.pixels, d.maxChannel);
        QVERIFY2(d.maxChannel <= k_itemTolerance, qPrintable(QString::number(d.maxChannel)));
    }

    // The waterfall: bilinear over the samples, rows spread from first to last timestamp,
    // gap filler rows and a short sample among them.
    void waterfallItem()
    {
        QList<RfSpectrumSample> samples = sweeps(700);
        for (int i = 300; i < 340; ++i)
            samples[i].scan.fill(-128);
        samples[500].scan.resize(100);
        WaterfallPlot plot;
        plot.setDataInterval(Qt::XAxis, QwtInterval(2400.0, 2500.0));
        plot.setDataInterval(Qt::ZAxis, QwtInterval(-100.0, -30.0));
        plot.setData(samples);
        const QwtInterval y(plot.axisScaleDiv(QwtPlot::yLeft).lowerBound(),
                            plot.axisScaleDiv(QwtPlot::yLeft).upperBound());
        const Rendered r
            = bothWays(*plot.spectrogramItem(), QSize(1920, 1000), QwtInterval(2400.0, 2500.0), y);
        const Difference d = compare(r.library, r.fast);
        qInfo("waterfall: %d pixels differ, by at most %d", d.pixels, d.maxChannel);
        QVERIFY2(d.maxChannel <= k_itemTolerance, qPrintable(QString::number(d.maxChannel)));
    }

    // Random matrices with values beyond both ends of the colour range, both modes of the
    // program's own raster.
    void randomMatrices_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::newRow("bilinear") << int(TavMatrixRasterData::BilinearInterpolation) << 97 << 31;
        QTest::newRow("bicubic") << int(TavMatrixRasterData::BicubicInterpolation) << 97 << 31;
        QTest::newRow("bicubic 2 x 2") << int(TavMatrixRasterData::BicubicInterpolation) << 2 << 2;
        QTest::newRow("bilinear 1 x 1")
            << int(TavMatrixRasterData::BilinearInterpolation) << 1 << 1;
    }

    void randomMatrices()
    {
        QFETCH(int, mode);
        QFETCH(int, columns);
        QFETCH(int, rows);
        std::mt19937 rng(5);
        std::uniform_real_distribution<double> value(-0.2, 1.2);
        QVector<double> matrix(columns * rows);
        for (double &v : matrix)
            v = value(rng);
        auto *raster = new TavMatrixRasterData;
        raster->setResampleMode(TavMatrixRasterData::ResampleMode(mode));
        raster->setInterval(Qt::XAxis, QwtInterval(10.0, 20.0));
        raster->setInterval(Qt::YAxis, QwtInterval(-5.0, 5.0));
        raster->setInterval(Qt::ZAxis, QwtInterval(0.0, 1.0));
        raster->setValueMatrix(matrix, columns);
        for (int map = 0; map < 2; ++map) {
            TavPlotSpectrogram item;
            item.setRenderThreadCount(0);
            item.setData(raster);
            if (map == 0)
                item.setColorMap(new SpectroColorMap);
            else
                item.setColorMap(new HighlightColorMap);
            const Rendered r
                = bothWays(item, QSize(641, 377), QwtInterval(9.0, 21.0), QwtInterval(-6.0, 6.0));
            const Difference d = compare(r.library, r.fast);
            QVERIFY2(d.maxChannel <= k_itemTolerance, qPrintable(QString::number(d.maxChannel)));
            // The item owns the raster; hand it on to the next one.
            raster = new TavMatrixRasterData;
            raster->setResampleMode(TavMatrixRasterData::ResampleMode(mode));
            raster->setInterval(Qt::XAxis, QwtInterval(10.0, 20.0));
            raster->setInterval(Qt::YAxis, QwtInterval(-5.0, 5.0));
            raster->setInterval(Qt::ZAxis, QwtInterval(0.0, 1.0));
            raster->setValueMatrix(matrix, columns);
        }
        delete raster;
    }

    // Whole plots, both layers composed over the black canvas, at full-screen size.
    void wholePlots()
    {
        SpectroPlot spectro;
        spectro.setAxisScale(QwtPlot::xBottom, 2400.0, 2500.0);
        spectro.setDataInterval(Qt::XAxis, QwtInterval(2400.0, 2500.0));
        spectro.setDataInterval(Qt::YAxis, QwtInterval(-100.0, -30.0));
        spectro.setData(sweeps(2640));
        spectro.setFastRendering(false);
        const QImage spectroLibrary = renderPlot(spectro, QSize(1920, 1000));
        spectro.setFastRendering(true);
        const QImage spectroFast = renderPlot(spectro, QSize(1920, 1000));
        Difference d = compare(spectroLibrary, spectroFast);
        qInfo("spectrogram plot: %d pixels differ, by at most %d", d.pixels, d.maxChannel);
        QVERIFY(d.maxChannel <= k_plotTolerance);

        WaterfallPlot waterfall;
        waterfall.setAxisScale(QwtPlot::xBottom, 2400.0, 2500.0);
        waterfall.setDataInterval(Qt::XAxis, QwtInterval(2400.0, 2500.0));
        waterfall.setData(sweeps(2640));
        waterfall.setFastRendering(false);
        const QImage waterfallLibrary = renderPlot(waterfall, QSize(1920, 1000));
        waterfall.setFastRendering(true);
        const QImage waterfallFast = renderPlot(waterfall, QSize(1920, 1000));
        d = compare(waterfallLibrary, waterfallFast);
        qInfo("waterfall plot: %d pixels differ, by at most %d", d.pixels, d.maxChannel);
        QVERIFY(d.maxChannel <= k_plotTolerance);
    }

    // The colour table against the colour map itself, over dense values and the steep first
    // hundredth of the default colours; exact at and beyond both ends and for NaN.
    void colorTable_data()
    {
        QTest::addColumn<int>("map");
        QTest::newRow("density") << 0;
        QTest::newRow("waterfall") << 1;
        QTest::newRow("highlight") << 2;
    }

    void colorTable()
    {
        QFETCH(int, map);
        QScopedPointer<QwtLinearColorMap> colors;
        QwtInterval range;
        if (map == 0) {
            colors.reset(new SpectroColorMap);
            range = QwtInterval(0.0, 0.5);
        } else if (map == 1) {
            colors.reset(new WaterfallColorMap);
            range = QwtInterval(-100.0, -30.0);
        } else {
            colors.reset(new HighlightColorMap);
            range = QwtInterval(0.0, 1.0);
        }
        const ColorLookup lookup(*colors, range);
        QVERIFY(lookup.reproducesMap());
        QVERIFY(lookup.matches(*colors, range, false));
        QVERIFY(!lookup.matches(*colors, range, true));
        QVERIFY(!lookup.matches(*colors, QwtInterval(0.0, 2.0), false));
        int worst = 0;
        const int steps = 200000;
        for (int i = -100; i <= steps + 100; ++i) {
            const double v = range.minValue() + range.width() * (double(i) / steps);
            const QRgb a = lookup.rgb(v);
            const QRgb b = colors->rgb(range, v);
            worst = qMax(worst,
                         qMax(qMax(qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b))),
                              qMax(qAbs(qBlue(a) - qBlue(b)), qAbs(qAlpha(a) - qAlpha(b)))));
        }
        QVERIFY2(worst <= 1, qPrintable(QString::number(worst)));
        for (double v : {range.minValue(), range.maxValue(), range.minValue() - 5.0,
                         range.maxValue() + 1e9, range.minValue() + range.width() * 1e-6})
            QCOMPARE(lookup.rgb(v), colors->rgb(range, v));
        QCOMPARE(lookup.rgb(std::nan("")), 0u);
    }
};

QUORVEX_TEST_MAIN(TestRasterRender)
#include "tst_rasterrender.moc"
