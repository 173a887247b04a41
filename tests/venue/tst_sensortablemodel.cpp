#include "QuorvexTest.h"
#include "venue/SensorTableModel.h"

#include <QColor>
#include <QDateTime>
#include <QLocale>

// The Sensors dock's rows: what a technician reads of each sensor, a sensor heard again
// replacing its row, an offline one kept greyed with the time it was last heard.
class TestSensorTableModel : public QObject
{
    Q_OBJECT

    static SensorInfo sensor(const QString &id, const QString &state, qint64 clockOffsetMs)
    {
        SensorInfo info;
        info.status.id = id;
        info.status.name = id == QLatin1String("s1") ? QStringLiteral("North stand") : QString();
        info.status.state = state;
        info.status.band = id == QLatin1String("s1") ? 2400 : 900;
        info.status.backlog = 1234;
        info.lastHeardMs = QDateTime(QDate(2026, 12, 9), QTime(20, 53, 16)).toMSecsSinceEpoch();
        info.clockKnown = true;
        info.clockOffsetMs = clockOffsetMs;
        info.sweepsPerSecond = 20.84;
        return info;
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void rows_data()
    {
        QTest::addColumn<SensorInfo>("info");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<bool>("grey");
        QTest::addColumn<bool>("clockMarked");
        // Name, band, state, rate, backlog, last heard, clock.
        QTest::newRow("scanning, clock fine")
            << sensor("s1", "scanning", 400)
            << QStringList{"North stand", "2.4 GHz",  "scanning", "20.8",
                           "1234",        "20:53:16", "0.4 s"}
            << false << false;
        QTest::newRow("clock ahead")
            << sensor("s2", "scanning", 3200)
            << QStringList{"s2",
                           "900 MHz",
                           "scanning",
                           "20.8",
                           "1234",
                           "20:53:16",
                           "the sensor's clock is 3.2 s ahead: run a time service on it"}
            << false << true;
        QTest::newRow("offline keeps when it was heard")
            << sensor("s2", "offline", -1500)
            << QStringList{"s2",
                           "900 MHz",
                           "offline",
                           "",
                           "1234",
                           "20:53:16",
                           "the sensor's clock is 1.5 s behind: run a time service on it"}
            << true << false;
    }

    void rows()
    {
        QFETCH(SensorInfo, info);
        QFETCH(QStringList, texts);
        QFETCH(bool, grey);
        QFETCH(bool, clockMarked);
        SensorTableModel model;
        model.update(sensor("s0", "scanning", 0));
        model.update(info);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.rowOf(info.status.id), 1);
        QStringList shown;
        for (int column = 0; column < SensorTableModel::ColumnCount; ++column)
            shown << model.index(1, column).data().toString();
        QCOMPARE(shown, texts);
        const QVariant clockColour
            = model.index(1, SensorTableModel::Clock).data(Qt::ForegroundRole);
        QCOMPARE(model.index(1, SensorTableModel::Name).data(Qt::ForegroundRole).isValid(), grey);
        QCOMPARE(clockColour.isValid() && !grey, clockMarked);

        // Heard again: the same row, updated in place.
        SensorInfo again = info;
        again.status.state = QStringLiteral("no-analyzer");
        model.update(again);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.index(1, SensorTableModel::State).data().toString(), QString("no-analyzer"));
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestSensorTableModel)
#include "tst_sensortablemodel.moc"
