#include "QuorvexTest.h"
#include "wifi/NativeWifi.h"
#include "wifi/WifiModel.h"
#include "wifi/WifiProxyModel.h"

#include <QAbstractItemModelTester>

#include <memory>

namespace {

WifiApInfo ap(const QString &name, int rssi, int channel)
{
    // The name doubles as the BSSID, which keeps the expectations readable.
    return NativeWifi::makeAccessPoint(name, name, rssi, channel);
}

} // namespace

class TestWifiProxyModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sortOrder_data();
    void sortOrder();
    void resortsWhenRowsChange();

private:
    QStringList names() const
    {
        QStringList list;
        for (int row = 0; row < m_proxy->rowCount(); ++row)
            list.append(m_proxy->index(row, WifiModel::NameColumn).data().toString());
        return list;
    }

    std::unique_ptr<WifiModel> m_model;
    std::unique_ptr<WifiProxyModel> m_proxy;
    std::unique_ptr<QAbstractItemModelTester> m_modelTester;
    std::unique_ptr<QAbstractItemModelTester> m_proxyTester;
};

void TestWifiProxyModel::init()
{
    m_model = std::make_unique<WifiModel>();
    m_proxy = std::make_unique<WifiProxyModel>();
    m_proxy->setSourceModel(m_model.get());
    m_modelTester = std::make_unique<QAbstractItemModelTester>(
        m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_proxyTester = std::make_unique<QAbstractItemModelTester>(
        m_proxy.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);

    // "gone" was heard once, strongest of all; then the others: "weak" and "strong" ticked,
    // "unticked" strong but unticked by the user.
    m_model->update({ap("gone", -30, 11)}, true);
    m_model->update(
        {ap("weak", -75, 1), ap("strong", -45, 6), ap("unticked", -40, 13), ap("Zulu", -60, 3)},
        true);
    m_model->setData(m_model->index(3, WifiModel::CheckColumn), Qt::Unchecked, Qt::CheckStateRole);
}

void TestWifiProxyModel::cleanup()
{
    m_proxyTester.reset();
    m_modelTester.reset();
    m_proxy.reset();
    m_model.reset();
}

void TestWifiProxyModel::sortOrder_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<Qt::SortOrder>("order");
    QTest::addColumn<QStringList>("names");

    // The list's own order: on the air, ticked, strongest first.
    QTest::newRow("level, descending") << int(WifiModel::RssiColumn) << Qt::DescendingOrder
                                       << QStringList{"strong", "Zulu", "weak", "unticked", "gone"};
    QTest::newRow("level, ascending") << int(WifiModel::RssiColumn) << Qt::AscendingOrder
                                      << QStringList{"gone", "unticked", "weak", "Zulu", "strong"};
    // Names by character code: capitals first.
    QTest::newRow("name, ascending") << int(WifiModel::NameColumn) << Qt::AscendingOrder
                                     << QStringList{"gone", "unticked", "Zulu", "strong", "weak"};
    QTest::newRow("channel, ascending")
        << int(WifiModel::ChannelColumn) << Qt::AscendingOrder
        << QStringList{"weak", "Zulu", "strong", "gone", "unticked"};
    QTest::newRow("check, descending") << int(WifiModel::CheckColumn) << Qt::DescendingOrder
                                       << QStringList{"gone", "weak", "strong", "Zulu", "unticked"};
}

void TestWifiProxyModel::sortOrder()
{
    QFETCH(int, column);
    QFETCH(Qt::SortOrder, order);
    QFETCH(QStringList, names);
    m_proxy->sort(column, order);
    if (column == WifiModel::CheckColumn) {
        // Equal check states keep no particular order; compare the partition only.
        const QStringList sorted = this->names();
        QCOMPARE(sorted.last(), names.last());
        QCOMPARE(QSet<QString>(sorted.begin(), sorted.end() - 1),
                 QSet<QString>(names.begin(), names.end() - 1));
        return;
    }
    QCOMPARE(this->names(), names);
}

void TestWifiProxyModel::resortsWhenRowsChange()
{
    m_proxy->sort(WifiModel::RssiColumn, Qt::DescendingOrder);
    // The strongest goes out of the air and sinks to the bottom, below "gone" (stronger).
    m_model->update({ap("weak", -75, 1), ap("unticked", -40, 13), ap("Zulu", -60, 3)}, true);
    QCOMPARE(names(), (QStringList{"Zulu", "weak", "unticked", "gone", "strong"}));
    // "strong" stays away, "gone" comes back, "weak" gets stronger.
    m_model->update(
        {ap("gone", -30, 11), ap("weak", -35, 1), ap("unticked", -40, 13), ap("Zulu", -60, 3)},
        true);
    QCOMPARE(names(), (QStringList{"gone", "weak", "Zulu", "unticked", "strong"}));
    // Unticking every row leaves the levels to decide among the active rows.
    m_model->checkAll(false);
    QCOMPARE(names(), (QStringList{"gone", "weak", "unticked", "Zulu", "strong"}));
}

QUORVEX_TEST_MAIN(TestWifiProxyModel)
#include "tst_wifiproxymodel.moc"
