#include "QuorvexTest.h"
#include "plots/WifiCurve.h"
#include "plots/WifiMarker.h"

#include <QPainter>
#include <qwt_scale_map.h>

namespace {

WifiApInfo accessPoint(const QString &ssid, int frequency, int width, int rssi)
{
    WifiApInfo ap;
    ap.bssid = "02:00:00:00:00:01";
    ap.ssid = ssid;
    ap.frequency = frequency;
    ap.width = width;
    ap.rssi = rssi;
    ap.color = QColor(0x20, 0xc0, 0x60);
    return ap;
}

// Where the image differs from black.
QRect drawnArea(const QImage &image)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(0, 0, 0))
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

} // namespace

// The outline and name of an access point over the 2.4 GHz spectrogram.
class TestWifiCurve : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void outline()
    {
        const QVector<QPointF> points = WifiCurve::outline(accessPoint("lab", 2437, 20, -50));
        QCOMPARE(points.size(), 22);
        QCOMPARE(points.first(), QPointF(2427, -100));
        QCOMPARE(points.last(), QPointF(2447, -100));
        QCOMPARE(points.at(10), QPointF(2429, -50)); // sample 11: top of the rising edge
        QCOMPARE(points.at(11), QPointF(2445, -50)); // sample 12: top of the falling edge
        QVERIFY(qFuzzyCompare(points.at(5).x(), 2428.0));
        QVERIFY(qFuzzyCompare(points.at(5).y(), -87.5)); // a quarter of the rise
        QVERIFY(qFuzzyCompare(points.at(16).y(), -87.5));
        // The edges rise and fall monotonically, 0.2 MHz apart.
        for (int i = 1; i < 11; ++i) {
            QVERIFY(qAbs(points.at(i).x() - points.at(i - 1).x() - 0.2) < 1e-9);
            QVERIFY(points.at(i).y() > points.at(i - 1).y());
            QVERIFY(points.at(11 + i).y() < points.at(10 + i).y());
        }
    }

    // Half the width is truncated: an odd width draws as the even one below it.
    void oddWidth()
    {
        QCOMPARE(WifiCurve::outline(accessPoint("", 2437, 21, -50)),
                 WifiCurve::outline(accessPoint("", 2437, 20, -50)));
        const QVector<QPointF> wide = WifiCurve::outline(accessPoint("", 2442, 40, -70));
        QCOMPARE(wide.first(), QPointF(2422, -100));
        QCOMPARE(wide.last(), QPointF(2462, -100));
    }

    void curveLook()
    {
        const WifiCurve curve(accessPoint("lab", 2437, 20, -50));
        QCOMPARE(curve.dataSize(), size_t(22));
        QCOMPARE(curve.pen().color(), QColor(0x20, 0xc0, 0x60, 192));
        QCOMPARE(curve.pen().widthF(), 2.0);
        QCOMPARE(curve.style(), QwtPlotCurve::Lines);
        QVERIFY(curve.testRenderHint(QwtPlotItem::RenderAntialiased));
        QVERIFY(curve.title().isEmpty());
    }

    void markerLook()
    {
        const WifiMarker marker(accessPoint("lab", 2437, 20, -50));
        QCOMPARE(marker.value(), QPointF(2437, -50));
        QCOMPARE(marker.label().text(), QString("lab"));
        QCOMPARE(marker.label().color(), QColor(0x20, 0xc0, 0x60));
        QCOMPARE(marker.label().borderPen().color(), QColor(0x20, 0xc0, 0x60));
        QCOMPARE(marker.label().borderRadius(), 2.0);
        QColor background(0x20, 0xc0, 0x60, 192);
        QCOMPARE(marker.label().backgroundBrush().color(), background.darker(500));
        QCOMPARE(marker.labelAlignment(), Qt::AlignHCenter | Qt::AlignTop);
        QCOMPARE(marker.lineStyle(), QwtPlotMarker::NoLine);

        const WifiMarker unnamed(accessPoint("", 2412, 20, -60));
        QVERIFY(unnamed.label().isEmpty());
        QCOMPARE(unnamed.label().backgroundBrush().style(), Qt::NoBrush);
        QCOMPARE(unnamed.label().borderPen().style(), Qt::NoPen);
    }

    // The name box sits centred on the channel, its text's bottom 5 pixels above the top of
    // the outline; an unnamed access point draws nothing.
    void markerNameIsPlainText()
    {
        // A name from the air that looks like markup is shown as it is.
        WifiApInfo ap;
        ap.ssid = "<b>AB</b><img src=\"/etc/passwd\">";
        ap.frequency = 2437;
        ap.rssi = -50;
        ap.color = Qt::red;
        const WifiMarker marker(ap);
        const QFont font;
        QCOMPARE(marker.label().textSize(font).width(),
                 QwtText(ap.ssid, QwtText::PlainText).textSize(font).width());
        QVERIFY(marker.label().textSize(font).width()
                > 3 * QFontMetricsF(font).horizontalAdvance("AB"));
    }

    void markerPlacement()
    {
        QwtScaleMap xMap, yMap;
        xMap.setScaleInterval(2400.0, 2500.0);
        xMap.setPaintInterval(0, 1000);
        yMap.setScaleInterval(-100.0, -30.0);
        yMap.setPaintInterval(700, 0);
        const QRectF canvas(0, 0, 1000, 700);

        QImage image(1000, 700, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        QPainter painter(&image);
        const WifiMarker marker(accessPoint("lab network", 2450, 20, -50));
        marker.draw(&painter, xMap, yMap, canvas);
        const QSizeF text = marker.label().textSize(painter.font());
        painter.end();
        const QRect area = drawnArea(image);
        // x = 500, y = 200 px; the box spans (x - tw/2 - 3, y - 5 - th - 3) to
        // (x + tw/2 + 3, y - 5).
        QVERIFY2(qAbs(area.left() - (500 - text.width() / 2 - 3)) <= 1.5,
                 qPrintable(QString::number(area.left())));
        QVERIFY2(qAbs(area.right() + 1 - (500 + text.width() / 2 + 3)) <= 1.5,
                 qPrintable(QString::number(area.right())));
        QVERIFY2(qAbs(area.bottom() + 1 - (200 - 5.0)) <= 1.5,
                 qPrintable(QString::number(area.bottom())));
        QVERIFY2(qAbs(area.top() - (200 - 5.0 - text.height() - 3)) <= 1.5,
                 qPrintable(QString::number(area.top())));

        image.fill(Qt::black);
        painter.begin(&image);
        WifiMarker(accessPoint("", 2450, 20, -50)).draw(&painter, xMap, yMap, canvas);
        painter.end();
        QVERIFY(drawnArea(image).isEmpty());
    }
};

QUORVEX_TEST_MAIN(TestWifiCurve)
#include "tst_wificurve.moc"
