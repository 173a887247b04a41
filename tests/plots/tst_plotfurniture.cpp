#include "QuorvexTest.h"
#include "plots/RightClickMachine.h"
#include "plots/TavPlotMarker.h"
#include "plots/TimeScaleDraw.h"
#include "plots/WifiChannelsScaleDraw.h"
#include "plots/ZigBeeChannelsScaleDraw.h"

#include <QMouseEvent>
#include <QPainter>
#include <qwt_event_pattern.h>
#include <qwt_plot.h>
#include <qwt_plot_picker.h>
#include <qwt_scale_map.h>

Q_DECLARE_METATYPE(QwtPickerMachine::Command)

class TestPlotFurniture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void channelLabels_data()
    {
        QTest::addColumn<bool>("zigBee");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("label");
        QTest::newRow("Wi-Fi 1") << false << 2412.0 << "1";
        QTest::newRow("Wi-Fi 13") << false << 2472.0 << "13";
        QTest::newRow("Wi-Fi 14") << false << 2484.0 << "14";
        QTest::newRow("Wi-Fi lower edge") << false << 2400.0 << "";
        QTest::newRow("Wi-Fi upper edge") << false << 2500.0 << "";
        QTest::newRow("Wi-Fi no channel") << false << 2413.0 << "";
        QTest::newRow("ZigBee 11") << true << 2405.0 << "11";
        QTest::newRow("ZigBee 26") << true << 2480.0 << "26";
        QTest::newRow("ZigBee edge") << true << 2500.0 << "";
        QTest::newRow("ZigBee no channel") << true << 2412.0 << "";
    }

    void channelLabels()
    {
        QFETCH(bool, zigBee);
        QFETCH(double, value);
        QFETCH(QString, label);
        WifiChannelsScaleDraw wifi;
        ZigBeeChannelsScaleDraw zig;
        QCOMPARE(zigBee ? zig.label(value).text() : wifi.label(value).text(), label);
    }

    void timeLabels()
    {
        TimeScaleDraw draw;
        QCOMPARE(draw.label(0.0).text(),
                 QDateTime::fromMSecsSinceEpoch(0).time().toString("hh:mm:ss"));
        const QDateTime moment(QDate(2024, 5, 6), QTime(13, 4, 5, 999));
        QCOMPARE(draw.label(double(moment.toMSecsSinceEpoch()) + 0.9).text(), QString("13:04:05"));
    }

    void rightClickMachine_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("selects");
        QTest::newRow("right press")
            << int(QEvent::MouseButtonPress) << int(Qt::RightButton) << int(Qt::NoModifier) << true;
        QTest::newRow("left press")
            << int(QEvent::MouseButtonPress) << int(Qt::LeftButton) << int(Qt::NoModifier) << false;
        QTest::newRow("right release") << int(QEvent::MouseButtonRelease) << int(Qt::RightButton)
                                       << int(Qt::NoModifier) << false;
        QTest::newRow("right press with shift")
            << int(QEvent::MouseButtonPress) << int(Qt::RightButton) << int(Qt::ShiftModifier)
            << false;
    }

    void rightClickMachine()
    {
        QFETCH(int, type);
        QFETCH(int, button);
        QFETCH(int, modifiers);
        QFETCH(bool, selects);
        RightClickMachine machine;
        QCOMPARE(machine.selectionType(), QwtPickerMachine::PointSelection);
        QwtEventPattern pattern;
        const QMouseEvent event(QEvent::Type(type), QPointF(5, 5), Qt::MouseButton(button),
                                Qt::MouseButtons(button), Qt::KeyboardModifiers(modifiers));
        const QList<QwtPickerMachine::Command> expected = selects
            ? QList<QwtPickerMachine::Command>{QwtPickerMachine::Begin, QwtPickerMachine::Append,
                                               QwtPickerMachine::End}
            : QList<QwtPickerMachine::Command>{};
        QCOMPARE(machine.transition(pattern, &event), expected);
    }

    // A picker with the machine reports the plot position of a real right click.
    void rightClickPicker()
    {
        QwtPlot plot;
        plot.setAxisScale(QwtPlot::xBottom, 0.0, 100.0);
        plot.setAxisScale(QwtPlot::yLeft, 0.0, 10.0);
        plot.resize(400, 300);
        plot.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plot));
        plot.replot();
        auto *picker = new QwtPlotPicker(QwtPlot::xBottom, QwtPlot::yLeft, QwtPicker::NoRubberBand,
                                         QwtPicker::AlwaysOff, plot.canvas());
        picker->setStateMachine(new RightClickMachine);
        QList<QPointF> selected;
        connect(picker, QOverload<const QPointF &>::of(&QwtPlotPicker::selected),
                [&](const QPointF &p) { selected.append(p); });
        const QPoint pixel(qRound(plot.canvasMap(QwtPlot::xBottom).transform(25.0)),
                           qRound(plot.canvasMap(QwtPlot::yLeft).transform(4.0)));
        QTest::mouseClick(plot.canvas(), Qt::LeftButton, Qt::NoModifier, pixel);
        QVERIFY(selected.isEmpty());
        QTest::mouseClick(plot.canvas(), Qt::RightButton, Qt::NoModifier, pixel);
        QCOMPARE(selected.size(), 1);
        QVERIFY(qAbs(selected.first().x() - 25.0) < 0.5);
        QVERIFY(qAbs(selected.first().y() - 4.0) < 0.1);
    }

    void markerWrapping_data()
    {
        QTest::addColumn<double>("labelWidth");
        QTest::addColumn<QSizeF>("measured");
        QTest::addColumn<QSizeF>("laidOut");
        QTest::newRow("three lines") << 200.0 << QSizeF(450, 20) << QSizeF(200, 60);
        QTest::newRow("narrower") << 200.0 << QSizeF(150, 20) << QSizeF(150, 20);
        QTest::newRow("exactly the width") << 200.0 << QSizeF(200, 20) << QSizeF(200, 20);
        QTest::newRow("just wider") << 200.0 << QSizeF(201, 20) << QSizeF(200, 40);
        QTest::newRow("no limit") << 0.0 << QSizeF(450, 20) << QSizeF(450, 20);
    }

    void markerWrapping()
    {
        QFETCH(double, labelWidth);
        QFETCH(QSizeF, measured);
        QFETCH(QSizeF, laidOut);
        TavPlotMarker marker;
        QCOMPARE(marker.labelWidth(), 0.0);
        marker.setLabelWidth(labelWidth);
        QCOMPARE(marker.wrappedSize(measured), laidOut);
    }

    // Drawn, a long label's background box is the wrapped block: labelWidth pixels wide and
    // hanging right of and below the marker's point.
    void markerDrawsWrappedLabel()
    {
        TavPlotMarker marker;
        marker.setLabelWidth(120.0);
        QwtText text(QString("a label long enough to need three lines or more of text here"));
        text.setRenderFlags(text.renderFlags() | Qt::TextWordWrap);
        text.setBackgroundBrush(QBrush(Qt::white));
        marker.setLabel(text);
        marker.setLabelAlignment(Qt::AlignRight | Qt::AlignBottom);
        marker.setValue(QPointF(10.0, 90.0));

        QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        QPainter painter(&image);
        QwtScaleMap xMap, yMap;
        xMap.setScaleInterval(0.0, 100.0);
        xMap.setPaintInterval(0, 400);
        yMap.setScaleInterval(0.0, 100.0);
        yMap.setPaintInterval(300, 0);
        marker.draw(&painter, xMap, yMap, QRectF(0, 0, 400, 300));
        const QSizeF measured = text.textSize(painter.font());
        painter.end();

        QRect box;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) != qRgb(0, 0, 0))
                    box |= QRect(x, y, 1, 1);
            }
        }
        QVERIFY(measured.width() > 120.0);
        QCOMPARE(box.width(), 120);
        QCOMPARE(box.height(), qRound(measured.height() * int(measured.width() / 120.0 + 1)));
        // Right of and below the point (40, 30), offset by half the 0-width pen (0.5) and
        // the spacing.
        const double offset = 0.5 + marker.spacing();
        QVERIFY2(qAbs(box.left() - (40 + offset)) <= 1, qPrintable(QString::number(box.left())));
        QVERIFY2(qAbs(box.top() - (30 + offset)) <= 1, qPrintable(QString::number(box.top())));
    }
};

QUORVEX_TEST_MAIN(TestPlotFurniture)
#include "tst_plotfurniture.moc"
