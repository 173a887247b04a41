#include "QuorvexTest.h"
#include "widgets/CheckableHeader.h"

#include <QStandardItemModel>
#include <QTreeView>

#include <memory>

class TestCheckableHeader : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void click_data();
    void click();
    void partialThenCheckedThenUnchecked();
    void setStateEmitsNothing();
    void disabledClickSorts();
    void boxShowsItsState();

private:
    void clickAt(const QPoint &pos)
    {
        QTest::mouseClick(m_header->viewport(), Qt::LeftButton, {}, pos);
    }
    QImage boxImage()
    {
        return m_header->grab(CheckableHeader::k_checkboxRect.adjusted(-1, -1, 1, 1)).toImage();
    }

    std::unique_ptr<QTreeView> m_view;
    CheckableHeader *m_header = nullptr;
    QStandardItemModel *m_model = nullptr;
};

void TestCheckableHeader::init()
{
    m_view = std::make_unique<QTreeView>();
    m_model = new QStandardItemModel(3, 4, m_view.get());
    m_model->setHorizontalHeaderLabels({QString(), "Name", "Rssi", "Channel"});
    m_header = new CheckableHeader(Qt::Horizontal, m_view.get());
    m_view->setHeader(m_header);
    m_view->setModel(m_model);
    m_view->setSortingEnabled(true);
    m_view->sortByColumn(2, Qt::DescendingOrder);
    m_view->setColumnWidth(0, 45);
    m_view->resize(400, 200);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestCheckableHeader::cleanup()
{
    m_view.reset();
}

void TestCheckableHeader::click_data()
{
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<bool>("hit");

    QTest::newRow("top left of the box") << QPoint(5, 5) << true;
    QTest::newRow("bottom right of the box") << QPoint(19, 19) << true;
    QTest::newRow("right of the box") << QPoint(20, 12) << false;
    QTest::newRow("left of the box") << QPoint(4, 12) << false;
    QTest::newRow("below the box") << QPoint(12, 20) << false;
}

void TestCheckableHeader::click()
{
    QFETCH(QPoint, pos);
    QFETCH(bool, hit);
    QSignalSpy toggled(m_header, &CheckableHeader::selectAllToggled);
    clickAt(pos);
    QCOMPARE(toggled.count(), hit ? 1 : 0);
    QCOMPARE(m_header->state(), hit ? Qt::Unchecked : Qt::Checked);
    if (hit) {
        QCOMPARE(toggled.at(0).at(0).toBool(), false);
        QCOMPARE(m_header->sortIndicatorSection(), 2); // no sorting
    } else {
        QCOMPARE(m_header->sortIndicatorSection(), 0); // an ordinary header click
    }
}

void TestCheckableHeader::partialThenCheckedThenUnchecked()
{
    m_header->setState(Qt::PartiallyChecked);
    QSignalSpy toggled(m_header, &CheckableHeader::selectAllToggled);
    clickAt(QPoint(10, 10));
    QCOMPARE(m_header->state(), Qt::Checked);
    clickAt(QPoint(10, 10));
    QCOMPARE(m_header->state(), Qt::Unchecked);
    QCOMPARE(toggled.count(), 2);
    QCOMPARE(toggled.at(0).at(0).toBool(), true);
    QCOMPARE(toggled.at(1).at(0).toBool(), false);
}

void TestCheckableHeader::setStateEmitsNothing()
{
    QSignalSpy toggled(m_header, &CheckableHeader::selectAllToggled);
    for (Qt::CheckState state : {Qt::Unchecked, Qt::PartiallyChecked, Qt::Checked}) {
        m_header->setState(state);
        QCOMPARE(m_header->state(), state);
    }
    QCOMPARE(toggled.count(), 0);
}

void TestCheckableHeader::disabledClickSorts()
{
    m_header->setCheckboxDisable(true);
    QSignalSpy toggled(m_header, &CheckableHeader::selectAllToggled);
    clickAt(QPoint(10, 10));
    QCOMPARE(toggled.count(), 0);
    QCOMPARE(m_header->state(), Qt::Checked);
    QCOMPARE(m_header->sortIndicatorSection(), 0);

    m_header->setCheckboxDisable(false);
    const Qt::SortOrder order = m_header->sortIndicatorOrder();
    clickAt(QPoint(10, 10));
    QCOMPARE(toggled.count(), 1);
    QCOMPARE(m_header->sortIndicatorOrder(), order);
}

void TestCheckableHeader::boxShowsItsState()
{
    // Each state, and a disabled box, draws differently inside the box.
    QList<QImage> images;
    for (Qt::CheckState state : {Qt::Unchecked, Qt::PartiallyChecked, Qt::Checked}) {
        m_header->setState(state);
        images.append(boxImage());
    }
    m_header->setCheckboxDisable(true);
    images.append(boxImage());
    for (int i = 0; i < images.size(); ++i) {
        for (int j = i + 1; j < images.size(); ++j)
            QVERIFY2(images.at(i) != images.at(j),
                     qPrintable(QStringLiteral("%1 %2").arg(i).arg(j)));
    }
}

QUORVEX_TEST_MAIN(TestCheckableHeader)
#include "tst_checkableheader.moc"
