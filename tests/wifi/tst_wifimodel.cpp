#include "QuorvexTest.h"
#include "wifi/NativeWifi.h"
#include "wifi/WifiModel.h"

#include <QAbstractItemModelTester>

#include <memory>

namespace {

WifiApInfo ap(const QString &bssid, const QString &ssid, int rssi, int channel = 6)
{
    return NativeWifi::makeAccessPoint(bssid, ssid, rssi, channel);
}

QStringList bssids(const WifiScan &scan)
{
    QStringList list;
    for (const WifiApInfo &info : scan)
        list.append(info.bssid);
    return list;
}

const QString k_a = QStringLiteral("02:00:00:00:00:0a");
const QString k_b = QStringLiteral("02:00:00:00:00:0b");
const QString k_c = QStringLiteral("02:00:00:00:00:0c");

} // namespace

class TestWifiModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sameBssidInTwoScans();
    void absentAccessPointGreyedAndNotDrawn();
    void columnsAndHeaders();
    void channelColumn_data();
    void channelColumn();
    void filterThreshold_data();
    void filterThreshold();
    void filterOffChecksEveryRow();
    void filterValueChange();
    void newRowsFollowCheckNew_data();
    void newRowsFollowCheckNew();
    void setDataRules();
    void checkAll();
    void announcements();
    void clear();

private:
    Qt::CheckState checkState(int row) const
    {
        return Qt::CheckState(
            m_model->index(row, WifiModel::CheckColumn).data(Qt::CheckStateRole).toInt());
    }

    std::unique_ptr<WifiModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void TestWifiModel::init()
{
    m_model = std::make_unique<WifiModel>();
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void TestWifiModel::cleanup()
{
    m_tester.reset();
    m_model.reset();
}

void TestWifiModel::sameBssidInTwoScans()
{
    m_model->update({ap(k_a, "First", -60, 1)}, true);
    const WifiScan drawn = m_model->update({ap(k_a, "Renamed", -52, 11)}, true);
    QCOMPARE(m_model->rowCount(), 1);
    QCOMPARE(m_model->index(0, WifiModel::NameColumn).data().toString(), QStringLiteral("First"));
    QCOMPARE(m_model->index(0, WifiModel::RssiColumn).data().toInt(), -52);
    QCOMPARE(m_model->index(0, WifiModel::ChannelColumn).data().toInt(), 1);
    QCOMPARE(drawn.size(), 1);
    QCOMPARE(drawn.at(0).rssi, -52);
    QCOMPARE(drawn.at(0).ssid, QStringLiteral("First"));
}

void TestWifiModel::absentAccessPointGreyedAndNotDrawn()
{
    m_model->update({ap(k_a, "A", -60), ap(k_b, "B", -70)}, true);
    const WifiScan drawn = m_model->update({ap(k_b, "B", -71)}, true);
    QCOMPARE(m_model->rowCount(), 2);
    QCOMPARE(bssids(drawn), QStringList{k_b});
    QCOMPARE(bssids(m_model->checkedNetworks()), QStringList{k_b});
    QCOMPARE(checkState(0), Qt::Checked); // still ticked, only not drawn

    const QModelIndex name = m_model->index(0, WifiModel::NameColumn);
    QCOMPARE(name.data(Qt::ForegroundRole).value<QColor>(),
             NativeWifi::bssidColor(k_a).darker(200));
    QVERIFY(!(name.flags() & Qt::ItemIsEnabled));
    QVERIFY(!(m_model->index(0, WifiModel::RssiColumn).flags() & Qt::ItemIsEnabled));
    QVERIFY(m_model->index(0, WifiModel::CheckColumn).flags() & Qt::ItemIsUserCheckable);
    QCOMPARE(m_model->index(0, WifiModel::RssiColumn).data().toInt(), -60); // last value kept

    // Heard again: drawn in full colour.
    m_model->update({ap(k_a, "A", -61)}, true);
    QCOMPARE(name.data(Qt::ForegroundRole).value<QColor>(), NativeWifi::bssidColor(k_a));
    QVERIFY(name.flags() & Qt::ItemIsEnabled);
    QCOMPARE(bssids(m_model->checkedNetworks()), QStringList{k_a});
}

void TestWifiModel::columnsAndHeaders()
{
    m_model->update({ap(k_a, "Stage-Net", -48, 6)}, true);
    QCOMPARE(m_model->index(0, WifiModel::CheckColumn).data(Qt::ToolTipRole).toString(), k_a);
    QVERIFY(!m_model->index(0, WifiModel::CheckColumn).data(Qt::DisplayRole).isValid());
    QCOMPARE(m_model->index(0, WifiModel::RssiColumn).data().toInt(), -48);
    QVERIFY(m_model->index(0, WifiModel::NameColumn).flags() & Qt::ItemIsEnabled);
    QVERIFY(!(m_model->index(0, WifiModel::NameColumn).flags() & Qt::ItemIsSelectable));

    const QStringList texts{QString(), "Name", "Rssi", "Channel"};
    for (int section = 0; section < 4; ++section) {
        QCOMPARE(m_model->headerData(section, Qt::Horizontal).toString(), texts.at(section));
        QCOMPARE(m_model->headerData(section, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignLeft | Qt::AlignVCenter));
    }
    QVERIFY(!m_model->headerData(0, Qt::Vertical).isValid());
    QVERIFY(!m_model->headerData(0, Qt::Vertical, Qt::TextAlignmentRole).isValid());
}

void TestWifiModel::channelColumn_data()
{
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("channel");

    QTest::newRow("2412") << 2412 << 1;
    QTest::newRow("2472") << 2472 << 13;
    QTest::newRow("2484") << 2484 << 14;
    QTest::newRow("not a channel centre") << 2413 << 0;
    QTest::newRow("5 GHz") << 5180 << 0;
}

void TestWifiModel::channelColumn()
{
    QFETCH(int, frequency);
    QFETCH(int, channel);
    WifiApInfo info = ap(k_a, "A", -50);
    info.frequency = frequency; // a recording may hold any value
    m_model->update({info}, true);
    QCOMPARE(m_model->index(0, WifiModel::ChannelColumn).data().toInt(), channel);
}

void TestWifiModel::filterThreshold_data()
{
    QTest::addColumn<int>("rssi");
    QTest::addColumn<bool>("checked");

    QTest::newRow("-79") << -79 << true;
    QTest::newRow("-80") << -80 << true;
    QTest::newRow("-81") << -81 << false;
}

void TestWifiModel::filterThreshold()
{
    QFETCH(int, rssi);
    QFETCH(bool, checked);
    const Qt::CheckState expected = checked ? Qt::Checked : Qt::Unchecked;

    // A new access point under the filter.
    m_model->onFilterEnableChanged(true);
    WifiScan drawn = m_model->update({ap(k_a, "A", rssi)}, true);
    QCOMPARE(checkState(0), expected);
    QCOMPARE(drawn.size(), checked ? 1 : 0);

    // A known one whose level moves to the threshold.
    m_model->update({ap(k_b, "B", -60)}, true);
    drawn = m_model->update({ap(k_b, "B", rssi)}, true);
    QCOMPARE(checkState(1), expected);
    QCOMPARE(drawn.size(), checked ? 1 : 0);

    // Rows present when the filter is switched on.
    m_model->onFilterEnableChanged(false);
    m_model->checkAll(!checked);
    drawn = m_model->onFilterEnableChanged(true);
    QCOMPARE(checkState(0), expected);
    QCOMPARE(checkState(1), expected);
    QCOMPARE(drawn.size(), checked ? 1 : 0); // only B is active
}

void TestWifiModel::filterOffChecksEveryRow()
{
    m_model->update({ap(k_a, "A", -50), ap(k_b, "B", -90), ap(k_c, "C", -60)}, true);
    m_model->update({ap(k_a, "A", -50), ap(k_b, "B", -90)}, true); // C out of the air
    QVERIFY(m_model->setData(m_model->index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(bssids(m_model->onFilterEnableChanged(true)), QStringList{k_a});
    QCOMPARE(checkState(1), Qt::Unchecked);

    const WifiScan drawn = m_model->onFilterEnableChanged(false);
    for (int row = 0; row < 3; ++row)
        QCOMPARE(checkState(row), Qt::Checked);
    QCOMPARE(bssids(drawn), (QStringList{k_a, k_b}));
    QCOMPARE(bssids(m_model->checkedNetworks()), (QStringList{k_a, k_b}));
}

void TestWifiModel::filterValueChange()
{
    m_model->update({ap(k_a, "A", -50), ap(k_b, "B", -70)}, true);
    // Filter off: the threshold is stored, nothing is ticked or unticked.
    QVERIFY(m_model->setData(m_model->index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(bssids(m_model->onFilterValueChanged(-60)), QStringList{k_b});
    QCOMPARE(checkState(0), Qt::Unchecked);
    QCOMPARE(m_model->filterThreshold(), -60);

    QCOMPARE(bssids(m_model->onFilterEnableChanged(true)), QStringList{k_a});
    QCOMPARE(bssids(m_model->onFilterValueChanged(-75)), (QStringList{k_a, k_b}));
    QCOMPARE(bssids(m_model->onFilterValueChanged(-45)), QStringList());
    QCOMPARE(checkState(0), Qt::Unchecked);
    QCOMPARE(checkState(1), Qt::Unchecked);
}

void TestWifiModel::newRowsFollowCheckNew_data()
{
    QTest::addColumn<bool>("checkNew");
    QTest::newRow("header ticked") << true;
    QTest::newRow("header unticked") << false;
}

void TestWifiModel::newRowsFollowCheckNew()
{
    QFETCH(bool, checkNew);
    m_model->update({ap(k_a, "A", -50)}, true);
    const WifiScan drawn = m_model->update({ap(k_a, "A", -50), ap(k_b, "B", -60)}, checkNew);
    QCOMPARE(checkState(0), Qt::Checked); // known rows keep their state
    QCOMPARE(checkState(1), checkNew ? Qt::Checked : Qt::Unchecked);
    QCOMPARE(bssids(drawn), checkNew ? (QStringList{k_a, k_b}) : QStringList{k_a});
}

void TestWifiModel::setDataRules()
{
    m_model->update({ap(k_a, "A", -50)}, true);
    QSignalSpy changed(m_model.get(), &WifiModel::dataChanged);
    const QModelIndex check = m_model->index(0, WifiModel::CheckColumn);

    QVERIFY(!m_model->setData(m_model->index(0, WifiModel::NameColumn), Qt::Unchecked,
                              Qt::CheckStateRole));
    QVERIFY(!m_model->setData(check, Qt::Unchecked, Qt::DisplayRole));
    QVERIFY(!m_model->setData(QModelIndex(), Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(changed.count(), 0);

    QVERIFY(m_model->setData(check, Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(checkState(0), Qt::Unchecked);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), check);
    QCOMPARE(changed.at(0).at(1).toModelIndex(), m_model->index(0, WifiModel::ChannelColumn));
    QCOMPARE(changed.at(0).at(2).value<QVector<int>>(), QVector<int>{Qt::CheckStateRole});
    QVERIFY(m_model->checkedNetworks().isEmpty());

    // While the filter decides, ticking by hand is refused.
    m_model->onFilterEnableChanged(true);
    changed.clear();
    QVERIFY(!m_model->setData(check, Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(checkState(0), Qt::Checked);
    QCOMPARE(changed.count(), 0);
}

void TestWifiModel::checkAll()
{
    m_model->update({ap(k_a, "A", -50), ap(k_b, "B", -60)}, true);
    m_model->update({ap(k_b, "B", -60)}, true);
    QSignalSpy changed(m_model.get(), &WifiModel::dataChanged);

    QVERIFY(m_model->checkAll(false).isEmpty());
    QCOMPARE(checkState(0), Qt::Unchecked);
    QCOMPARE(checkState(1), Qt::Unchecked);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), m_model->index(0, 0));
    QCOMPARE(changed.at(0).at(1).toModelIndex().row(), 1);
    QCOMPARE(changed.at(0).at(2).value<QVector<int>>(), QVector<int>{Qt::CheckStateRole});

    // Both rows ticked, but only the access point on the air is to be drawn.
    QCOMPARE(bssids(m_model->checkAll(true)), QStringList{k_b});
    QCOMPARE(checkState(0), Qt::Checked);
}

void TestWifiModel::announcements()
{
    m_model->update({ap(k_a, "A", -50), ap(k_b, "B", -90)}, true);
    m_model->onFilterEnableChanged(true);
    QSignalSpy changed(m_model.get(), &WifiModel::dataChanged);
    QSignalSpy inserted(m_model.get(), &WifiModel::rowsInserted);

    // Known rows announce their level; the check state only when the filter changes it.
    m_model->update({ap(k_a, "A", -85), ap(k_b, "B", -91), ap(k_c, "C", -40)}, true);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 2);
    int levels = 0;
    int checks = 0;
    for (const QList<QVariant> &args : qAsConst(changed)) {
        const QVector<int> roles = args.at(2).value<QVector<int>>();
        if (roles == QVector<int>{Qt::DisplayRole}) {
            QCOMPARE(args.at(0).toModelIndex().column(), int(WifiModel::RssiColumn));
            ++levels;
        } else if (roles == QVector<int>{Qt::CheckStateRole}) {
            QCOMPARE(args.at(0).toModelIndex().row(), 0); // A fell below the threshold
            ++checks;
        }
    }
    QCOMPARE(levels, 2);
    QCOMPARE(checks, 1);

    // A row going out of the air is announced, so views grey it and sort it again.
    changed.clear();
    m_model->update({ap(k_c, "C", -40)}, true);
    QCOMPARE(changed.count(), 3); // C's level, A and B greyed
}

void TestWifiModel::clear()
{
    m_model->update({ap(k_a, "A", -50), ap(k_b, "B", -60)}, true);
    QSignalSpy reset(m_model.get(), &WifiModel::modelReset);
    m_model->clear();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(m_model->rowCount(), 0);
    QVERIFY(m_model->checkedNetworks().isEmpty());
    // Rows are numbered from the start again.
    m_model->update({ap(k_b, "B", -60)}, true);
    QCOMPARE(m_model->index(0, WifiModel::CheckColumn).data(Qt::ToolTipRole).toString(), k_b);
    QCOMPARE(m_model->rowCount(), 1);
}

QUORVEX_TEST_MAIN(TestWifiModel)
#include "tst_wifimodel.moc"
