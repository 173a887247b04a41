#include "QuorvexTest.h"
#include "widgets/RangeSlider.h"

#include <QWheelEvent>

namespace {

// Every signal of the slider, in order, as text.
struct SignalLog
{
    QStringList entries;

    explicit SignalLog(RangeSlider &slider)
    {
        QObject::connect(&slider, &RangeSlider::lowerValueChanged,
                         [this](qint64 v) { entries << QString("lower %1").arg(v); });
        QObject::connect(&slider, &RangeSlider::upperValueChanged,
                         [this](qint64 v) { entries << QString("upper %1").arg(v); });
        QObject::connect(&slider, &RangeSlider::rangeChanged, [this](qint64 a, qint64 b) {
            entries << QString("range %1 %2").arg(a).arg(b);
        });
    }
};

void wheel(QWidget *widget, int delta)
{
    const QPointF pos(widget->width() / 2.0, widget->height() / 2.0);
    QWheelEvent event(pos, QPointF(widget->mapToGlobal(pos.toPoint())), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

} // namespace

// Mouse events go through the slider's window, as the platform delivers them (with the
// buttons held), to the slider, which is that window's only widget.
class TestRangeSlider : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults()
    {
        RangeSlider slider;
        QCOMPARE(slider.minimun(), 0);
        QCOMPARE(slider.maximun(), 100);
        QCOMPARE(slider.lowerValue(), 0);
        QCOMPARE(slider.upperValue(), 100);
        QCOMPARE(slider.intervalSize(), 100);
        QCOMPARE(slider.minimumSizeHint(), QSize(32, 15));
        QVERIFY(slider.hasMouseTracking());
    }

    void setters_data()
    {
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QStringList>("signalList");
        QTest::addColumn<QVector<qint64>>("state"); // min, max, lower, upper
        QTest::newRow("setRange(0, 10)") << "range 0 10" << QStringList{"upper 10", "range 0 10"}
                                         << QVector<qint64>{0, 10, 0, 10};
        QTest::newRow("lower above the upper value")
            << "upper 50, lower 200" << QStringList{"upper 50", "lower 100"}
            << QVector<qint64>{0, 100, 100, 50};
        QTest::newRow("same value again")
            << "lower 0, upper 100" << QStringList{} << QVector<qint64>{0, 100, 0, 100};
        QTest::newRow("minimum above the maximum swaps")
            << "min 200" << QStringList{"lower 100", "range 100 200"}
            << QVector<qint64>{100, 200, 100, 100};
        QTest::newRow("maximum below the minimum swaps")
            << "max -50" << QStringList{"upper 0", "range -50 0"} << QVector<qint64>{-50, 0, 0, 0};
        QTest::newRow("range shrinks below the selection")
            << "lower 50, upper 80, max 10"
            << QStringList{"lower 50", "upper 80", "lower 10", "upper 10", "range 0 10"}
            << QVector<qint64>{0, 10, 10, 10};
        QTest::newRow("same minimum: nothing")
            << "min 0" << QStringList{} << QVector<qint64>{0, 100, 0, 100};
        QTest::newRow("growing range keeps the values")
            << "upper 30, range 0 400" << QStringList{"upper 30", "range 0 400"}
            << QVector<qint64>{0, 400, 0, 30};
    }

    void setters()
    {
        QFETCH(QString, calls);
        QFETCH(QStringList, signalList);
        QFETCH(QVector<qint64>, state);
        RangeSlider slider;
        SignalLog log(slider);
        for (const QString &call : calls.split(", ")) {
            const QStringList parts = call.split(' ');
            const qint64 a = parts.at(1).toLongLong();
            if (parts.at(0) == "range")
                slider.setRange(a, parts.at(2).toLongLong());
            else if (parts.at(0) == "lower")
                slider.setLowerValue(a);
            else if (parts.at(0) == "upper")
                slider.setUpperValue(a);
            else if (parts.at(0) == "min")
                slider.setMinimum(a);
            else
                slider.setMaximum(a);
        }
        QCOMPARE(log.entries, signalList);
        QCOMPARE((QVector<qint64>{slider.minimun(), slider.maximun(), slider.lowerValue(),
                                  slider.upperValue()}),
                 state);
    }

    void wheelSteps_data()
    {
        QTest::addColumn<qint64>("maximum");
        QTest::addColumn<qint64>("lower");
        QTest::addColumn<qint64>("upper");
        QTest::addColumn<int>("delta");
        QTest::addColumn<qint64>("newLower");
        QTest::addColumn<qint64>("newUpper");
        QTest::newRow("forward") << qint64(400) << qint64(100) << qint64(300) << 120 << qint64(120)
                                 << qint64(320);
        QTest::newRow("back") << qint64(400) << qint64(100) << qint64(300) << -120 << qint64(80)
                              << qint64(280);
        QTest::newRow("forward at the end")
            << qint64(400) << qint64(350) << qint64(400) << 120 << qint64(350) << qint64(400);
        QTest::newRow("back from the end")
            << qint64(400) << qint64(350) << qint64(400) << -120 << qint64(330) << qint64(380);
        QTest::newRow("back past the start")
            << qint64(400) << qint64(10) << qint64(50) << -120 << qint64(0) << qint64(40);
        QTest::newRow("short range: nothing")
            << qint64(19) << qint64(5) << qint64(10) << 120 << qint64(5) << qint64(10);
    }

    // A time bar of 0 ... maximum; the wheel shifts the selection by a twentieth.
    void wheelSteps()
    {
        QFETCH(qint64, maximum);
        QFETCH(qint64, lower);
        QFETCH(qint64, upper);
        QFETCH(int, delta);
        QFETCH(qint64, newLower);
        QFETCH(qint64, newUpper);
        RangeSlider slider;
        slider.resize(300, 20);
        slider.setRange(0, maximum);
        slider.setLowerValue(lower);
        slider.setUpperValue(upper);
        SignalLog log(slider);
        wheel(&slider, delta);
        QCOMPARE(slider.lowerValue(), newLower);
        QCOMPARE(slider.upperValue(), newUpper);
        if (newLower != lower)
            QCOMPARE(log.entries.first(), QString("lower %1").arg(newLower));
    }

    // Without handles the selection is dragged; past either end it stops there, its width
    // kept.
    void dragSelection()
    {
        RangeSlider slider; // travel 200 pixels at width 217
        slider.resize(217, 20);
        slider.show();
        QVERIFY(QTest::qWaitForWindowExposed(&slider));
        slider.setRange(0, 400);
        slider.setLowerValue(100);
        slider.setUpperValue(300);
        QCOMPARE(slider.selectionRect(), QRectF(51.5, 5, 114, 9));

        QTest::mousePress(slider.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 10));
        QTest::mouseMove(slider.windowHandle(), QPoint(110, 10));
        QCOMPARE(slider.lowerValue(), 122);
        QCOMPARE(slider.upperValue(), 322);
        QCOMPARE(slider.cursor().shape(), Qt::SizeHorCursor);
        QTest::mouseMove(slider.windowHandle(), QPoint(300, 10));
        QCOMPARE(slider.lowerValue(), 200);
        QCOMPARE(slider.upperValue(), 400);
        QTest::mouseMove(slider.windowHandle(), QPoint(-200, 10));
        QCOMPARE(slider.lowerValue(), 0);
        QCOMPARE(slider.upperValue(), 200);
        QTest::mouseRelease(slider.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                            QPoint(-200, 10));
        // Released: moving does nothing; off the selection the cursor is the arrow.
        QTest::mouseMove(slider.windowHandle(), QPoint(210, 10));
        QCOMPARE(slider.lowerValue(), 0);
        QCOMPARE(slider.cursor().shape(), Qt::ArrowCursor);
        // A click beside the selection steps nothing without handles.
        QTest::mouseClick(slider.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(210, 10));
        QCOMPARE(slider.lowerValue(), 0);
        QCOMPARE(slider.upperValue(), 200);
    }

    // With both handles a click beside them steps a value by a tenth of the range.
    void clicksBesideTheHandles()
    {
        RangeSlider slider(Qt::Horizontal, RangeSlider::DoubleHandles); // travel 200 at 232
        slider.resize(232, 15);
        slider.show();
        QVERIFY(QTest::qWaitForWindowExposed(&slider));
        slider.setLowerValue(20);
        slider.setUpperValue(80);
        QCOMPARE(slider.lowerHandleRect(), QRect(41, 0, 15, 15));
        QCOMPARE(slider.upperHandleRect(), QRect(176, 0, 15, 15));

        QTest::mouseClick(slider.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 7));
        QCOMPARE(slider.lowerValue(), 10);
        QTest::mouseClick(slider.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 7));
        QCOMPARE(slider.upperValue(), 90);
        QTest::mouseClick(slider.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(60, 7));
        QCOMPARE(slider.lowerValue(), 20); // left half of the gap
        QTest::mouseClick(slider.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(170, 7));
        QCOMPARE(slider.upperValue(), 80); // right half
        // On a handle: no step. At the very edge across the bar: no step either.
        QTest::mouseClick(slider.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(48, 7));
        QCOMPARE(slider.lowerValue(), 20);
        QTest::mouseClick(slider.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 1));
        QCOMPARE(slider.lowerValue(), 20);
        // Only the left button.
        QTest::mouseClick(slider.windowHandle(), Qt::RightButton, Qt::NoModifier, QPoint(20, 7));
        QCOMPARE(slider.lowerValue(), 20);

        // Dragging the lower handle, and past the upper one.
        QTest::mousePress(slider.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(48, 7));
        QTest::mouseMove(slider.windowHandle(), QPoint(108, 7));
        QCOMPARE(slider.lowerValue(), 50);
        QTest::mouseMove(slider.windowHandle(), QPoint(220, 7));
        QCOMPARE(slider.lowerValue(), 80);
        QTest::mouseRelease(slider.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(220, 7));
        // Dragging the upper handle below the lower one.
        slider.setLowerValue(20);
        QTest::mousePress(slider.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(183, 7));
        QTest::mouseMove(slider.windowHandle(), QPoint(153, 7));
        QCOMPARE(slider.upperValue(), 65);
        QTest::mouseMove(slider.windowHandle(), QPoint(10, 7));
        QCOMPARE(slider.upperValue(), 20);
        QTest::mouseRelease(slider.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 7));
    }

    void painting()
    {
        RangeSlider slider;
        slider.resize(217, 20);
        slider.setRange(0, 400);
        slider.setLowerValue(100);
        slider.setUpperValue(300);
        const QImage enabled = slider.grab().toImage();
        QCOMPARE(enabled.pixelColor(100, 10), QColor(30, 144, 255));
        QCOMPARE(enabled.pixelColor(20, 10), QColor(0xd0, 0xd0, 0xd0)); // the bar
        slider.setEnabled(false);
        QCOMPARE(slider.grab().toImage().pixelColor(100, 10), QColor(0x80, 0x80, 0x80));
    }
};

QUORVEX_TEST_MAIN(TestRangeSlider)
#include "tst_rangeslider.moc"
