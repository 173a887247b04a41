#include "RecoveryDialog.h"

#include "data/RecordingFile.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

RecoveryDialog::RecoveryDialog(const QList<JournalReader::Entry> &journals, QWidget *parent)
    : QDialog(parent)
    , m_confirmDiscard([this](int count) {
        return QMessageBox::question(this, tr("Discard Scans"),
                                     (count == 1 ? tr("Delete the unsaved scan?")
                                                 : tr("Delete %1 unsaved scans?").arg(count))
                                         + QLatin1Char(' ')
                                         + tr("They cannot be recovered afterwards."),
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            == QMessageBox::Yes;
    })
{
    setWindowTitle(tr("Recover Unsaved Scans"));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(
        tr("Quorvex ended before these scans were saved. Recover opens each scan ticked as a "
           "recording, from which you can save it. Later keeps them for the next start."),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    m_table = new QTableWidget(journals.size(), 5, this);
    m_table->setHorizontalHeaderLabels(
        {tr("Band"), tr("Started"), tr("Sweeps"), tr("Duration"), tr("Notes")});
    m_table->verticalHeader()->hide();
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const QLocale locale;
    for (int row = 0; row < journals.size(); ++row) {
        const JournalReader::Result &summary = journals.at(row).summary;
        const bool band900
            = RecordingFile::bandOf(summary.history) == RecordingFile::Band::Band900MHz;
        auto *band = new QTableWidgetItem(band900 ? tr("900 MHz") : tr("2.4 GHz"));
        band->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        band->setCheckState(Qt::Checked);
        band->setToolTip(QFileInfo(journals.at(row).path).fileName());
        m_table->setItem(row, 0, band);
        const qint64 started = summary.sweeps > 0 ? summary.firstSweepMs : summary.createdMs;
        const QStringList cells{
            locale.toString(QDateTime::fromMSecsSinceEpoch(started), QLocale::ShortFormat),
            locale.toString(summary.sweeps), durationText(summary.durationMs()), summary.damage};
        for (int column = 1; column < 5; ++column) {
            auto *item = new QTableWidgetItem(cells.at(column - 1));
            item->setFlags(Qt::ItemIsEnabled);
            if (column == 4)
                item->setToolTip(summary.damage);
            m_table->setItem(row, column, item);
        }
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *recover = buttons->addButton(tr("Recover"), QDialogButtonBox::AcceptRole);
    QPushButton *discard = buttons->addButton(tr("Discard"), QDialogButtonBox::DestructiveRole);
    QPushButton *later = buttons->addButton(tr("Later"), QDialogButtonBox::RejectRole);
    recover->setDefault(true);
    connect(recover, &QPushButton::clicked, this,
            [this] { finish(UserPrompts::RecoveryAnswer::Action::Recover); });
    connect(discard, &QPushButton::clicked, this,
            [this] { finish(UserPrompts::RecoveryAnswer::Action::Discard); });
    connect(later, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(640, 160 + 30 * int(journals.size()));
}

QString RecoveryDialog::durationText(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QList<int> RecoveryDialog::checkedRows() const
{
    QList<int> rows;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        if (m_table->item(row, 0)->checkState() == Qt::Checked)
            rows.append(row);
    }
    return rows;
}

void RecoveryDialog::finish(UserPrompts::RecoveryAnswer::Action action)
{
    const QList<int> rows = checkedRows();
    if (rows.isEmpty())
        return;
    if (action == UserPrompts::RecoveryAnswer::Action::Discard && !m_confirmDiscard(rows.size()))
        return;
    m_answer = {action, rows};
    accept();
}
