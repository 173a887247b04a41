#include "QuorvexTest.h"
#include "networks/VexaIdDetails.h"
#include "networks/VexaIdPanel.h"
#include "networks/VexaIdTableView.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>

namespace {

QPoint cellCenter(const VexaIdTableView *view, int row, int column)
{
    return view->visualRect(view->model()->index(row, column)).center();
}

} // namespace

class TestVexaIdPanel : public QObject
{
    Q_OBJECT

private:
    struct Fixture
    {
        VexaIdPanel panel;
        QStringList log;
        Fixture()
        {
            panel.resize(360, 640);
            panel.show();
            QObject::connect(&panel, &VexaIdPanel::vexaIdSelected,
                             [this](int id) { log << QString("+%1").arg(id); });
            QObject::connect(&panel, &VexaIdPanel::vexaIdDeselected,
                             [this](int id) { log << QString("-%1").arg(id); });
        }
        VexaIdTableView *view() const { return panel.tableView(); }
        void click(int row, int column)
        {
            QTest::mouseClick(view()->viewport(), Qt::LeftButton, {},
                              cellCenter(view(), row, column));
        }
        void hover(int row, int column)
        {
            QTest::mouseMove(view()->viewport(), cellCenter(view(), row, column));
        }
        QStringList take()
        {
            const QStringList out = log;
            log.clear();
            return out;
        }
    };

private Q_SLOTS:
    void model()
    {
        VexaIdModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.band(), VexaIdModel::Band2400MHz);
        QCOMPARE(model.rowCount(), 6);
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.data(model.index(2, 0)), QVariant(24110));
        QVERIFY(!model.data(model.index(3, 1)).isValid());
        QCOMPARE(model.data(model.index(3, 1), Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignCenter));
        QCOMPARE(model.headerData(2, Qt::Horizontal), QVariant(5));
        QCOMPARE(model.headerData(5, Qt::Vertical), QVariant("Max"));
        QVERIFY(!model.headerData(0, Qt::Vertical, Qt::ToolTipRole).isValid());

        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        model.setBand(VexaIdModel::Band2400MHz);
        QCOMPARE(reset.count(), 0);
        model.setBand(VexaIdModel::Band900MHz);
        QCOMPARE(reset.count(), 1);
        QCOMPARE(model.rowCount(), 5);
        QCOMPARE(model.headerData(2, Qt::Horizontal), QVariant(4));
        QCOMPARE(model.data(model.index(0, 2)), QVariant(9350));
    }

    void clickToggles()
    {
        Fixture f;
        f.click(2, 0); // 24110
        QCOMPARE(f.take(), QStringList{"+24110"});
        f.click(2, 0);
        QCOMPARE(f.take(), QStringList{"-24110"});
        f.click(0, 2); // 24350, then 24300: both stay selected
        f.click(1, 2);
        QCOMPARE(f.take(), (QStringList{"+24350", "+24300"}));
        QCOMPARE(f.view()->selectionModel()->selectedIndexes().size(), 2);
    }

    void hoverPreviews()
    {
        Fixture f;
        QSignalSpy chosen(&f.panel, &VexaIdPanel::vexaIdChosen);
        f.hover(2, 0); // 24110; nothing was hovered before
        QCOMPARE(f.take(), (QStringList{"-0", "+24110"}));
        QVERIFY(f.panel.details()->isVisible());
        QCOMPARE(f.panel.details()->vexaId(), 24110);

        f.hover(2, 0); // the same cell again: nothing
        QVERIFY(f.take().isEmpty());

        f.hover(3, 0); // 24120
        QCOMPARE(f.take(), (QStringList{"-24110", "+24120"}));

        // Below the last row: over no cell.
        const QRect last = f.view()->visualRect(f.view()->model()->index(5, 0));
        QVERIFY(last.bottom() + 20 < f.view()->viewport()->height());
        QTest::mouseMove(f.view()->viewport(), QPoint(last.center().x(), last.bottom() + 15));
        QCOMPARE(f.take(), (QStringList{"-24120", "+0"}));
        QVERIFY(!f.panel.details()->isVisible());

        // A selected cell stays on the plot when the mouse moves on.
        f.hover(4, 0); // 24130
        f.click(4, 0);
        f.take();
        f.hover(4, 1); // 24230
        QCOMPARE(f.take(), QStringList{"+24230"});

        // Leaving the grid ends the preview, and the details show the selected ID.
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(f.view(), &leave);
        QCOMPARE(f.take(), (QStringList{"-24230", "+0"}));
        QVERIFY(f.panel.details()->isVisible());
        QCOMPARE(f.panel.details()->vexaId(), 24130);
        // Only the click chose an ID; the previews did not.
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.first(), (QVariantList{24130, true}));
    }

    void headerHoverIsNoCell()
    {
        Fixture f;
        f.hover(1, 1); // 24200
        f.take();
        QHeaderView *header = f.view()->horizontalHeader();
        QTest::mouseMove(header->viewport(), QPoint(10, header->height() / 2));
        QCOMPARE(f.take(), (QStringList{"-24200", "+0"}));
    }

    void emptyCellHidesDetails()
    {
        Fixture f;
        f.hover(2, 0);
        QVERIFY(f.panel.details()->isVisible());
        f.hover(3, 1); // the empty "Mid" cell of column 2
        QVERIFY(!f.panel.details()->isVisible());
        QCOMPARE(f.take().last(), QString("+0"));
    }

    void details_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("9150") << 9150 << QStringList{"9150",
                                                     "1",
                                                     "902.58 - 927.42 MHz",
                                                     "Adaptive",
                                                     "300 ft / 100 m",
                                                     "2000 ft / 600 m"};
        QTest::newRow("24150") << 24150 << QStringList{"24150",
                                                       "1",
                                                       "2400.14 - 2480.61 MHz",
                                                       "Adaptive",
                                                       "300 ft / 100 m",
                                                       "1500 ft / 450 m"};
        QTest::newRow("9300") << 9300 << QStringList{"9300",
                                                     "4",
                                                     "904.375 - 926.125 MHz",
                                                     "Full",
                                                     "300 ft / 100 m",
                                                     "500 ft / 150 m"};
    }

    void details()
    {
        QFETCH(int, id);
        QFETCH(QStringList, texts);
        VexaIdDetails details;
        details.setVexaId(id);
        QCOMPARE((QStringList{details.vexaIdText(), details.universesText(),
                              details.frequencyRangeText(), details.typeText(),
                              details.indoorRangeText(), details.outdoorRangeText()}),
                 texts);
    }

    void bandSwitch()
    {
        Fixture f;
        f.click(2, 0);
        f.take();
        f.panel.setBand(VexaIdModel::Band2400MHz);
        QCOMPARE(f.view()->selectionModel()->selectedIndexes().size(), 1);
        f.panel.setBand(VexaIdModel::Band900MHz);
        QVERIFY(!f.view()->selectionModel()->hasSelection());
        QVERIFY(f.take().isEmpty()); // a reset reports no deselection
        f.click(0, 0);
        QCOMPARE(f.take(), QStringList{"+9150"});
    }

    void equalColumns()
    {
        Fixture f;
        for (int width : {330, 500, 421}) {
            f.panel.resize(width, 420);
            QCoreApplication::processEvents();
            const VexaIdTableView *view = f.view();
            const QMargins m = view->contentsMargins();
            const int expected
                = (view->width() - view->verticalHeader()->width() - m.left() - m.right()) / 3;
            for (int column = 0; column < 3; ++column)
                QCOMPARE(view->columnWidth(column), expected);
        }
    }
};

QUORVEX_TEST_MAIN(TestVexaIdPanel)
#include "tst_vexaidpanel.moc"
