#include "QuorvexTest.h"
#include "pages/ReportLayout.h"
#include "pages/ReportPainter.h"

#include <QBuffer>
#include <QPdfWriter>

namespace {

const QRectF k_content(50.0, 20.0, 400.0, 100.0);

// The pages as the number of blocks on each, "2 1" for two pages.
QString counts(const QList<ReportLayout::Page> &pages)
{
    QStringList result;
    for (const ReportLayout::Page &page : pages)
        result << QString::number(page.size());
    return result.join(' ');
}

} // namespace

// Where the report's blocks land: one under another from the content's top, a page break
// where the next would pass its bottom, a heading moved on with what it leads to.
class TestReportLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pages_data()
    {
        QTest::addColumn<QList<double>>("heights");
        QTest::addColumn<QList<int>>("headings"); // indexes of the blocks kept with the next
        QTest::addColumn<QList<int>>("breaks"); // indexes of the blocks that start a page
        QTest::addColumn<QString>("expected");

        QTest::newRow("fit") << QList<double>{30, 30, 40} << QList<int>{} << QList<int>{} << "3";
        QTest::newRow("overflow") << QList<double>{40, 40, 40} << QList<int>{} << QList<int>{}
                                  << "2 1";
        QTest::newRow("heading moves on")
            << QList<double>{40, 40, 30} << QList<int>{1} << QList<int>{} << "1 2";
        QTest::newRow("headings move on together")
            << QList<double>{50, 20, 20, 20} << QList<int>{1, 2} << QList<int>{} << "1 3";
        QTest::newRow("heading and its block fit")
            << QList<double>{40, 20, 40} << QList<int>{1} << QList<int>{} << "3";
        QTest::newRow("last block a heading")
            << QList<double>{10, 95} << QList<int>{1} << QList<int>{} << "1 1";
        QTest::newRow("page break")
            << QList<double>{10, 10, 10} << QList<int>{} << QList<int>{1} << "1 2";
        QTest::newRow("no empty first page")
            << QList<double>{10, 10} << QList<int>{} << QList<int>{0} << "2";
        QTest::newRow("taller than a page")
            << QList<double>{10, 150, 10} << QList<int>{} << QList<int>{} << "1 1 1";
        QTest::newRow("heading before a block taller than a page")
            << QList<double>{20, 150} << QList<int>{0} << QList<int>{} << "1 1";
    }

    void pages()
    {
        QFETCH(QList<double>, heights);
        QFETCH(QList<int>, headings);
        QFETCH(QList<int>, breaks);
        QFETCH(QString, expected);
        QBuffer buffer;
        QPdfWriter pdf(&buffer);
        ReportLayout layout(&pdf, k_content);
        for (int b = 0; b < heights.size(); ++b)
            layout.add({heights.at(b), [](QPainter &, const QRectF &) {}, breaks.contains(b),
                        headings.contains(b)});
        const QList<ReportLayout::Page> pages = layout.pages();
        QCOMPARE(counts(pages), expected);
        // Each page's blocks stacked from the content's top, the content's width, in order.
        int b = 0;
        for (const ReportLayout::Page &page : pages) {
            double y = k_content.top();
            for (const auto &[block, rect] : page) {
                QCOMPARE(block.height, heights.at(b++));
                QCOMPARE(rect, QRectF(k_content.left(), y, k_content.width(), block.height));
                y += block.height;
            }
        }
    }

    // A long table goes in pieces of whole rows that each fit a page and each start with the
    // header; a table of no rows is its header alone.
    void table()
    {
        QBuffer buffer;
        QPdfWriter pdf(&buffer);
        pdf.setResolution(ReportPainter::k_dotsPerInch);
        const QRectF content(0, 0, ReportPainter::mm(180), ReportPainter::mm(120));

        ReportLayout empty(&pdf, content);
        empty.addTable({"A", "B"}, {}, {0.5, 0.5});
        QCOMPARE(empty.pages().size(), 1);
        QCOMPARE(empty.pages().first().size(), 1);
        const double row = empty.pages().first().first().first.height;
        QVERIFY(row > 0.0);

        const int rows = 200;
        QList<QStringList> cells;
        for (int r = 0; r < rows; ++r)
            cells.append({QString::number(r), "x"});
        ReportLayout layout(&pdf, content);
        layout.addTable({"A", "B"}, cells, {0.5, 0.5});
        const QList<ReportLayout::Page> pages = layout.pages();
        QVERIFY(pages.size() > 1);
        double total = 0.0;
        for (int p = 0; p < pages.size(); ++p) {
            QCOMPARE(pages.at(p).size(), 1);
            const double height = pages.at(p).first().first.height;
            QVERIFY(height <= content.height());
            // Whole rows, the header and at least one row of the table.
            const double inRows = height / row;
            QCOMPARE(inRows, std::round(inRows));
            QVERIFY(inRows >= 2.0);
            if (p + 1 < pages.size())
                QCOMPARE(height, pages.first().first().first.height);
            total += height;
        }
        // Every row once, a header on every page.
        QCOMPARE(total, row * (rows + pages.size()));
    }
};

QUORVEX_TEST_MAIN(TestReportLayout)
#include "tst_reportlayout.moc"
