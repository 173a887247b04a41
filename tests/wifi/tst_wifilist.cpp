#include "QuorvexTest.h"
#include "sim/SimulatedAir.h"
#include "widgets/AppStyle.h"
#include "widgets/CheckableHeader.h"
#include "wifi/NativeWifi.h"
#include "wifi/WifiList.h"
#include "wifi/WifiModel.h"
#include "wifi/WifiProxyModel.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QFile>
#include <QSpinBox>
#include <QTreeView>

#include <memory>

namespace {

WifiApInfo ap(const QString &name, int rssi, int channel = 6)
{
    return NativeWifi::makeAccessPoint(name, name, rssi, channel);
}

QStringList names(const WifiScan &scan)
{
    QStringList list;
    for (const WifiApInfo &info : scan)
        list.append(info.ssid);
    return list;
}

} // namespace

class TestWifiList : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void updateListAnnouncesWhatToDraw();
    void tickingRowsMirrorsIntoHeader();
    void newRowsFollowTheHeader_data();
    void newRowsFollowTheHeader();
    void headerBoxTicksAll();
    void filter();
    void ignoredNotifications();
    void loadHistory();
    void simulatedAirUnderDarkStyle();

private:
    void clickRowCheckBox(const QString &name);
    void clickHeaderBox();

    std::unique_ptr<WifiList> m_list;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    std::unique_ptr<QSignalSpy> m_drawn;
};

void TestWifiList::init()
{
    m_list = std::make_unique<WifiList>();
    m_list->resize(420, 300);
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_list->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_drawn = std::make_unique<QSignalSpy>(m_list.get(), &WifiList::newNetworksToDraw);
    m_list->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_list.get()));
}

void TestWifiList::cleanup()
{
    m_drawn.reset();
    m_tester.reset();
    m_list.reset();
    qApp->setStyleSheet(QString());
}

void TestWifiList::clickRowCheckBox(const QString &name)
{
    QTreeView *view = m_list->view();
    const QModelIndexList found
        = m_list->proxyModel()->match(m_list->proxyModel()->index(0, WifiModel::NameColumn),
                                      Qt::DisplayRole, name, 1, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    const QModelIndex check = found.first().siblingAtColumn(WifiModel::CheckColumn);
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(check);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box
        = view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, box.center());
}

void TestWifiList::clickHeaderBox()
{
    QTest::mouseClick(m_list->header()->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
}

void TestWifiList::updateListAnnouncesWhatToDraw()
{
    m_list->updateList({ap("A", -50), ap("B", -60)});
    QCOMPARE(m_drawn->count(), 1);
    QCOMPARE(names(m_drawn->at(0).at(0).value<WifiScan>()), (QStringList{"A", "B"}));
    m_list->updateList({ap("B", -61)});
    QCOMPARE(names(m_drawn->at(1).at(0).value<WifiScan>()), QStringList{"B"});
    m_list->clearList();
    QCOMPARE(m_list->model()->rowCount(), 0);
    QCOMPARE(m_drawn->count(), 2); // clearing announces nothing
}

void TestWifiList::tickingRowsMirrorsIntoHeader()
{
    m_list->updateList({ap("A", -50), ap("B", -60)});
    m_drawn->clear();

    clickRowCheckBox("A");
    QCOMPARE(m_list->header()->state(), Qt::PartiallyChecked);
    QCOMPARE(m_drawn->count(), 1);
    QCOMPARE(names(m_drawn->at(0).at(0).value<WifiScan>()), QStringList{"B"});

    clickRowCheckBox("B");
    QCOMPARE(m_list->header()->state(), Qt::Unchecked);
    QVERIFY(m_drawn->at(1).at(0).value<WifiScan>().isEmpty());

    clickRowCheckBox("A");
    clickRowCheckBox("B");
    QCOMPARE(m_list->header()->state(), Qt::Checked);
    QCOMPARE(names(m_drawn->last().at(0).value<WifiScan>()), (QStringList{"A", "B"}));
}

void TestWifiList::newRowsFollowTheHeader_data()
{
    QTest::addColumn<QStringList>("untick");
    QTest::addColumn<bool>("newChecked");

    QTest::newRow("checked") << QStringList() << true;
    QTest::newRow("partially checked") << QStringList{"A"} << true;
    QTest::newRow("unchecked") << QStringList{"A", "B"} << false;
}

void TestWifiList::newRowsFollowTheHeader()
{
    QFETCH(QStringList, untick);
    QFETCH(bool, newChecked);
    m_list->updateList({ap("A", -50), ap("B", -60)});
    for (const QString &name : qAsConst(untick))
        clickRowCheckBox(name);
    QStringList expected{"A", "B"};
    for (const QString &name : qAsConst(untick))
        expected.removeOne(name);
    if (newChecked)
        expected.append("C");

    m_list->updateList({ap("A", -50), ap("B", -60), ap("C", -40)});
    QCOMPARE(names(m_drawn->last().at(0).value<WifiScan>()), expected);
}

void TestWifiList::headerBoxTicksAll()
{
    m_list->updateList({ap("A", -50), ap("B", -60)});
    m_drawn->clear();
    clickHeaderBox();
    QCOMPARE(m_list->header()->state(), Qt::Unchecked);
    QCOMPARE(m_drawn->count(), 1);
    QVERIFY(m_drawn->at(0).at(0).value<WifiScan>().isEmpty());
    for (int row = 0; row < 2; ++row)
        QCOMPARE(m_list->model()->index(row, 0).data(Qt::CheckStateRole).toInt(),
                 int(Qt::Unchecked));

    clickHeaderBox();
    QCOMPARE(m_list->header()->state(), Qt::Checked);
    QCOMPARE(names(m_drawn->at(1).at(0).value<WifiScan>()), (QStringList{"A", "B"}));
    // The sort order stayed as it was: the click belonged to the box.
    QCOMPARE(m_list->header()->sortIndicatorSection(), int(WifiModel::RssiColumn));
}

void TestWifiList::filter()
{
    QCOMPARE(m_list->filterSpinBox()->value(), m_list->model()->filterThreshold());
    m_list->updateList({ap("A", -50), ap("B", -85), ap("C", -70)});
    clickRowCheckBox("C");
    m_drawn->clear();

    QTest::mouseClick(m_list->filterCheckBox(), Qt::LeftButton);
    QVERIFY(m_list->filterCheckBox()->isChecked());
    QVERIFY(!m_list->header()->isCheckboxEnabled());
    QCOMPARE(m_list->header()->state(), Qt::PartiallyChecked);
    QCOMPARE(names(m_drawn->last().at(0).value<WifiScan>()), (QStringList{"A", "C"}));

    // Ticking by hand and the header box are refused while the filter decides.
    const int before = m_drawn->count();
    clickRowCheckBox("A");
    clickHeaderBox();
    QCOMPARE(m_drawn->count(), before);
    QCOMPARE(m_list->model()->index(0, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));

    m_list->filterSpinBox()->setValue(-60);
    QCOMPARE(names(m_drawn->last().at(0).value<WifiScan>()), QStringList{"A"});

    // Off again: every row ticked, the header box usable.
    QTest::mouseClick(m_list->filterCheckBox(), Qt::LeftButton);
    QVERIFY(m_list->header()->isCheckboxEnabled());
    QCOMPARE(m_list->header()->state(), Qt::Checked);
    QCOMPARE(names(m_drawn->last().at(0).value<WifiScan>()), (QStringList{"A", "B", "C"}));
}

void TestWifiList::ignoredNotifications()
{
    // An empty model, or a change that is not of check states, announces nothing.
    m_list->onModelDataChanged(QModelIndex(), QModelIndex(), {Qt::CheckStateRole});
    QCOMPARE(m_drawn->count(), 0);
    m_list->updateList({ap("A", -50)});
    m_drawn->clear();
    const QModelIndex index = m_list->model()->index(0, 0);
    m_list->onModelDataChanged(index, index, {});
    m_list->onModelDataChanged(index, index, {Qt::DisplayRole});
    QCOMPARE(m_drawn->count(), 0);
    m_list->onModelDataChanged(index, index, {Qt::DisplayRole, Qt::CheckStateRole});
    QCOMPARE(m_drawn->count(), 1);
}

void TestWifiList::loadHistory()
{
    RfSpectrumHistory history;
    const WifiScan first{ap("A", -50), ap("B", -60)};
    const WifiScan second{ap("B", -65), ap("C", -70)};
    for (const WifiScan &scan : {WifiScan(), first, first, first, second, second}) {
        RfSpectrumSample sample;
        sample.wifiAps = scan;
        history.samples.append(sample);
    }
    m_list->updateList({ap("Z", -40)});
    m_drawn->clear();

    m_list->clearList();
    m_list->loadHistory(history);
    QCOMPARE(m_drawn->count(), 0);
    WifiModel *model = m_list->model();
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->index(1, WifiModel::RssiColumn).data().toInt(), -65);
    QCOMPARE(names(model->checkedNetworks()), (QStringList{"B", "C"}));
    QVERIFY(!(model->index(0, WifiModel::NameColumn).flags() & Qt::ItemIsEnabled));
}

void TestWifiList::simulatedAirUnderDarkStyle()
{
    const QString sheet = AppStyle::sheet();
    QVERIFY(!sheet.isEmpty());
    qApp->setStyleSheet(sheet);

    const SimulatedAir air(1);
    const qint64 t = 1700000000000;
    m_list->updateList(NativeWifi::simulatedScan(air, t));
    // One access point went quiet in the latest scan and one was unticked.
    WifiScan latest = NativeWifi::simulatedScan(air, t + 4000);
    latest.removeLast();
    m_list->updateList(latest);
    const auto named = std::find_if(latest.cbegin(), latest.cend(),
                                    [](const WifiApInfo &info) { return !info.ssid.isEmpty(); });
    QVERIFY(named != latest.cend());
    clickRowCheckBox(named->ssid);
    QCOMPARE(m_list->model()->rowCount(), air.accessPoints().size());

    const QImage image = m_list->grab().toImage();
    QVERIFY(!image.isNull());
    const QString path = qEnvironmentVariable("QUORVEX_SCREENSHOT");
    if (!path.isEmpty())
        QVERIFY(image.save(path));

    // The names are written in their access points' colours, not the sheet's text colour.
    const QModelIndex name = m_list->proxyModel()
                                 ->match(m_list->proxyModel()->index(0, WifiModel::NameColumn),
                                         Qt::DisplayRole, named->ssid, 1, Qt::MatchExactly)
                                 .value(0);
    QVERIFY(name.isValid());
    const QColor colour = name.data(Qt::ForegroundRole).value<QColor>();
    QRect cell = m_list->view()->visualRect(name);
    cell.translate(m_list->view()->viewport()->mapTo(m_list.get(), QPoint(0, 0)));
    bool found = false;
    for (int x = cell.left(); x <= cell.right() && !found; ++x) {
        for (int y = cell.top(); y <= cell.bottom() && !found; ++y) {
            const QColor pixel
                = image.pixelColor(x * image.devicePixelRatio(), y * image.devicePixelRatio());
            found = qAbs(pixel.hsvHue() - colour.hsvHue()) <= 8 && pixel.hsvSaturation() > 150
                && pixel.value() > 150;
        }
    }
    QVERIFY2(found, qPrintable(name.data().toString()));
}

QUORVEX_TEST_MAIN(TestWifiList)
#include "tst_wifilist.moc"
