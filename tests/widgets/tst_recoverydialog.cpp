#include "QuorvexTest.h"
#include "widgets/RecoveryDialog.h"

#include <QPushButton>
#include <QTableWidget>

namespace {

JournalReader::Entry entry(const QString &path, double fStartMHz, int sweeps, qint64 durationMs,
                           const QString &damage = QString())
{
    JournalReader::Entry e;
    e.path = path;
    e.summary.history.freqInterval = QwtInterval(fStartMHz, fStartMHz + 100.0);
    e.summary.sweeps = sweeps;
    e.summary.firstSweepMs = 1765200000000;
    e.summary.lastSweepMs = 1765200000000 + durationMs;
    e.summary.damage = damage;
    return e;
}

QPushButton *button(const RecoveryDialog &dialog, const QString &text)
{
    for (QPushButton *b : dialog.findChildren<QPushButton *>()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

void untick(QTableWidget *table, int row)
{
    const QRect cell = table->visualItemRect(table->item(row, 0));
    // The check box sits at the cell's left.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      QPoint(cell.left() + 10, cell.center().y()));
}

} // namespace

// The offer of scans left unsaved: what each row says, and which rows each button acts on.
class TestRecoveryDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rowsAndAnswers()
    {
        const QList<JournalReader::Entry> journals{
            entry("/u/a.journal", 2400.0, 1234, (2 * 3600 + 3 * 60 + 4) * 1000),
            entry("/u/b.journal", 902.0, 7, 300,
                  "its last record was unfinished: 40 bytes dropped")};
        RecoveryDialog dialog(journals);
        dialog.show();
        QTableWidget *table = dialog.table();
        QCOMPARE(table->item(0, 0)->text(), QString("2.4 GHz"));
        QCOMPARE(table->item(1, 0)->text(), QString("900 MHz"));
        QCOMPARE(table->item(0, 3)->text(), QString("2:03:04"));
        QCOMPARE(table->item(1, 4)->text(), journals.at(1).summary.damage);

        // Unticked, a row is left alone; Discard asks, and a No keeps the dialog open.
        untick(table, 1);
        QCOMPARE(table->item(1, 0)->checkState(), Qt::Unchecked);
        int asked = 0;
        dialog.setDiscardConfirmation([&asked](int count) {
            asked = count;
            return false;
        });
        QTest::mouseClick(button(dialog, "Discard"), Qt::LeftButton);
        QCOMPARE(asked, 1);
        QVERIFY(dialog.isVisible());
        QTest::mouseClick(button(dialog, "Recover"), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(int(dialog.answer().action), int(UserPrompts::RecoveryAnswer::Action::Recover));
        QCOMPARE(dialog.answer().rows, QList<int>{0});

        RecoveryDialog later(journals);
        later.show();
        QTest::mouseClick(button(later, "Later"), Qt::LeftButton);
        QCOMPARE(int(later.answer().action), int(UserPrompts::RecoveryAnswer::Action::Later));
    }
};

QUORVEX_TEST_MAIN(TestRecoveryDialog)
#include "tst_recoverydialog.moc"
