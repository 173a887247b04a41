#include "QuorvexTest.h"
#include "SyntheticSweeps.h"
#include "plots/SpectrogramData.h"
#include "plots/TavMatrixRasterData.h"
#include "plots/WaterfallData.h"

#include <cmath>
#include <qwt_matrix_raster_data.h>
#include <random>

Q_DECLARE_METATYPE(TavMatrixRasterData::ResampleMode)

namespace {

TavMatrixRasterData *makeRaster(const QVector<double> &values, int columns, double width,
                                double height, TavMatrixRasterData::ResampleMode mode)
{
    auto *raster = new TavMatrixRasterData;
    raster->setResampleMode(mode);
    raster->setInterval(Qt::XAxis, QwtInterval(0.0, width));
    raster->setInterval(Qt::YAxis, QwtInterval(0.0, height));
    raster->setValueMatrix(values, columns);
    return raster;
}

// A 4 x 4 matrix of zeros with 1.0 in row 1, column 1.
QVector<double> spike()
{
    QVector<double> values(16, 0.0);
    values[1 * 4 + 1] = 1.0;
    return values;
}

} // namespace

class TestRasterData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void values_data()
    {
        using M = TavMatrixRasterData;
        QTest::addColumn<QVector<double>>("matrix");
        QTest::addColumn<int>("columns");
        QTest::addColumn<M::ResampleMode>("mode");
        QTest::addColumn<QPointF>("pos");
        QTest::addColumn<double>("expected");

        const QVector<double> m22{1, 2, 3, 4};
        const double nan = std::nan("");
        QTest::newRow("nearest in cell")
            << m22 << 2 << M::NearestNeighbour << QPointF(1.5, 0.5) << 2.0;
        QTest::newRow("nearest at maximum")
            << m22 << 2 << M::NearestNeighbour << QPointF(2.0, 2.0) << 4.0;
        QTest::newRow("nearest outside")
            << m22 << 2 << M::NearestNeighbour << QPointF(2.1, 1.0) << nan;
        QTest::newRow("unknown mode is nearest")
            << m22 << 2 << M::ResampleMode(7) << QPointF(0.2, 1.7) << 3.0;
        QTest::newRow("bilinear at a centre")
            << m22 << 2 << M::BilinearInterpolation << QPointF(0.5, 0.5) << 1.0;
        QTest::newRow("bilinear between four")
            << m22 << 2 << M::BilinearInterpolation << QPointF(1.0, 1.0) << 2.5;
        QTest::newRow("bilinear quarter")
            << m22 << 2 << M::BilinearInterpolation << QPointF(0.75, 0.5) << 1.25;
        QTest::newRow("bilinear edge")
            << m22 << 2 << M::BilinearInterpolation << QPointF(2.0, 0.0) << 2.0;
        QTest::newRow("bilinear below")
            << m22 << 2 << M::BilinearInterpolation << QPointF(1.0, -0.1) << nan;
        QTest::newRow("dot at a centre")
            << m22 << 2 << M::DotInterpolation << QPointF(1.5, 1.5) << 8.0;
        QTest::newRow("dot at an edge middle")
            << m22 << 2 << M::DotInterpolation << QPointF(1.0, 0.5) << 0.0;
        QTest::newRow("dot quarter")
            << m22 << 2 << M::DotInterpolation << QPointF(0.75, 0.5) << 1.5;
        QTest::newRow("dot corner")
            << m22 << 2 << M::DotInterpolation << QPointF(0.75, 0.75) << 1.0;
        // Catmull-Rom at t = 0.5 weighs -1/16, 9/16, 9/16, -1/16.
        QTest::newRow("bicubic halfway")
            << spike() << 4 << M::BicubicInterpolation << QPointF(2.0, 2.0) << 0.31640625;
        QTest::newRow("bicubic at a centre")
            << spike() << 4 << M::BicubicInterpolation << QPointF(1.5, 1.5) << 1.0;
        QTest::newRow("bicubic quarter")
            << spike() << 4 << M::BicubicInterpolation << QPointF(1.75, 1.5) << 0.8671875;
        // At the last column the fourth cell repeats the first: column 1 weighs twice.
        QTest::newRow("bicubic right edge")
            << spike() << 4 << M::BicubicInterpolation << QPointF(3.0, 1.5) << -0.125;
        QTest::newRow("bicubic linear data")
            << QVector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16} << 4
            << M::BicubicInterpolation << QPointF(2.0, 2.0) << 8.5;
        // Fewer than three cells: the taps stay inside the matrix.
        QTest::newRow("bicubic single cell")
            << QVector<double>{0.25} << 1 << M::BicubicInterpolation << QPointF(0.7, 0.2) << 0.25;
        QTest::newRow("bicubic two cells") << QVector<double>{0.0, 1.0} << 2
                                           << M::BicubicInterpolation << QPointF(1.5, 0.5) << 1.0;
    }

    void values()
    {
        QFETCH(QVector<double>, matrix);
        QFETCH(int, columns);
        QFETCH(TavMatrixRasterData::ResampleMode, mode);
        QFETCH(QPointF, pos);
        QFETCH(double, expected);
        const int rows = matrix.size() / columns;
        QScopedPointer<TavMatrixRasterData> raster(
            makeRaster(matrix, columns, columns, rows, mode));
        const double value = raster->value(pos.x(), pos.y());
        if (std::isnan(expected))
            QVERIFY2(std::isnan(value), qPrintable(QString::number(value)));
        else
            QVERIFY2(std::abs(value - expected) < 1e-12,
                     qPrintable(QString("%1 != %2").arg(value, 0, 'g', 17).arg(expected)));
    }

    void geometry()
    {
        TavMatrixRasterData raster;
        QCOMPARE(raster.resampleMode(), TavMatrixRasterData::NearestNeighbour);
        QCOMPARE(raster.dx(), 0.0);
        // No cells yet: nothing to read, no crash.
        raster.setInterval(Qt::XAxis, QwtInterval(0.0, 10.0));
        raster.setInterval(Qt::YAxis, QwtInterval(-100.0, -30.0));
        QVERIFY(std::isnan(raster.value(5.0, -50.0)));

        raster.setValueMatrix(QVector<double>(7 * 5 + 3, 1.0), 5); // 3 values left over
        QCOMPARE(raster.numColumns(), 5);
        QCOMPARE(raster.numRows(), 7);
        QCOMPARE(raster.dx(), 2.0);
        QCOMPARE(raster.dy(), 10.0);
        QCOMPARE(raster.pixelHint(QRectF()), QRectF(0.0, -100.0, 2.0, 10.0));
        raster.setResampleMode(TavMatrixRasterData::BilinearInterpolation);
        QVERIFY(raster.pixelHint(QRectF()).isEmpty());

        raster.setValue(6, 4, 9.0);
        raster.setValue(7, 0, 9.0); // outside: ignored
        raster.setValue(0, -1, 9.0);
        QCOMPARE(raster.valueMatrix().count(9.0), 1);
        QCOMPARE(raster.valueMatrix().at(6 * 5 + 4), 9.0);

        raster.setValueMatrix({1.0, 2.0}, -3);
        QCOMPARE(raster.numColumns(), 0);
        QCOMPARE(raster.numRows(), 0);
        QVERIFY(std::isnan(raster.value(5.0, -50.0)));

        // A zero-width interval gives cells of no size: nothing to read.
        raster.setValueMatrix({1.0, 2.0}, 2);
        raster.setInterval(Qt::YAxis, QwtInterval(5.0, 5.0));
        QCOMPARE(raster.dy(), 0.0);
        QVERIFY(std::isnan(raster.value(5.0, 5.0)));
    }

    void displayRasters()
    {
        SpectrogramData density;
        QCOMPARE(density.valueMatrix(), QVector<double>{0.0});
        QCOMPARE(density.numColumns(), 1);
        QCOMPARE(density.resampleMode(), QwtMatrixRasterData::BilinearInterpolation);
        QCOMPARE(density.interval(Qt::ZAxis), QwtInterval(0.0, 0.5));

        WaterfallData waterfall;
        QCOMPARE(waterfall.valueMatrix(), QVector<double>{0.0});
        QCOMPARE(waterfall.numColumns(), 1);
        QCOMPARE(waterfall.interval(Qt::ZAxis), QwtInterval(-100.0, -30.0));
    }

    // The waterfall reads the samples in place; it must give what the library's bilinear
    // matrix raster gives over the matrix built from them.
    void waterfallMatchesLibraryMatrix()
    {
        const QList<RfSpectrumSample> samples = SyntheticSweeps(501, 5).take(200);
        WaterfallData waterfall;
        waterfall.setSamples(samples);
        QwtMatrixRasterData library;
        library.setResampleMode(QwtMatrixRasterData::BilinearInterpolation);
        library.setValueMatrix(waterfall.valueMatrix(), 501);
        for (QwtRasterData *raster :
             {static_cast<QwtRasterData *>(&waterfall), static_cast<QwtRasterData *>(&library)}) {
            raster->setInterval(Qt::XAxis, QwtInterval(2400.0, 2500.0));
            raster->setInterval(Qt::YAxis,
                                QwtInterval(samples.first().timestamp, samples.last().timestamp));
        }
        QCOMPARE(waterfall.numRows(), 200);
        QCOMPARE(waterfall.valueMatrix().at(17 * 501 + 33), double(samples.at(17).scan.at(33)));

        std::mt19937 rng(3);
        std::uniform_real_distribution<double> x(2399.0, 2501.0);
        std::uniform_real_distribution<double> y(samples.first().timestamp - 100.0,
                                                 samples.last().timestamp + 100.0);
        for (int i = 0; i < 20000; ++i) {
            const double px = x(rng);
            const double py = y(rng);
            const double a = waterfall.value(px, py);
            const double b = library.value(px, py);
            if (std::isnan(a) != std::isnan(b) || (!std::isnan(a) && std::abs(a - b) > 1e-9))
                QFAIL(qPrintable(QString("at %1, %2: %3 != %4").arg(px).arg(py).arg(a).arg(b)));
        }
    }

    // A sample shorter than the first reads as -128 where it has no value.
    void waterfallShortSample()
    {
        QList<RfSpectrumSample> samples = SyntheticSweeps(10, 1).take(3);
        samples[1].scan.resize(4);
        WaterfallData waterfall;
        waterfall.setSamples(samples);
        QCOMPARE(waterfall.numColumns(), 10);
        QCOMPARE(waterfall.cell(1, 3), double(samples.at(1).scan.at(3)));
        QCOMPARE(waterfall.cell(1, 4), -128.0);
        QCOMPARE(waterfall.cell(1, 9), -128.0);
        waterfall.setInterval(Qt::XAxis, QwtInterval(0.0, 10.0));
        waterfall.setInterval(Qt::YAxis, QwtInterval(0.0, 3.0));
        QCOMPARE(waterfall.value(9.5, 1.5), -128.0);
    }
};

QUORVEX_TEST_MAIN(TestRasterData)
#include "tst_rasterdata.moc"
