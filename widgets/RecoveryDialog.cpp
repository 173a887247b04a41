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
        const JournalReader::Entry &journal = journals.at(row);
        const JournalReader::Result &summary = journal.summary;
        const bool band900
            = RecordingFile::bandOf(summary.history) == RecordingFile::Band::Band900MHz;
        // A journal that cannot be read is shown with the reason, not ticked: it can only be
        // discarded (or left for a later start, when it may be readable).
        const bool readable = summary.isReadable();
        auto *band = new QTableWidgetItem(!readable     ? tr("?")
                                              : band900 ? tr("900 MHz")
                                                        : tr("2.4 GHz"));
        band->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        band->setCheckState(readable ? Qt::Checked : Qt::Unchecked);
        band->setToolTip(QFileInfo(journal.path).fileName());
        m_table->setItem(row, 0, band);
        const qint64 started = summary.sweeps > 0 ? summary.firstSweepMs : summary.createdMs;
        QString notes = summary.damage;
        if (!readable)
            notes = tr("%1 cannot be read: %2")
                        .arg(QFileInfo(journal.path).fileName(), summary.problem);
        else if (summary.isAmendment())
            notes = (summary.edits == 1
                         ? tr("1 edit to %1").arg(QFileInfo(summary.amendedPath).fileName())
                         : tr("%1 edits to %2")
                               .arg(summary.edits)
                               .arg(QFileInfo(summary.amendedPath).fileName()))
                + (notes.isEmpty() ? QString() : QStringLiteral("; ") + notes);
        const QStringList cells{
            readable && started > 0
                ? locale.toString(QDateTime::fromMSecsSinceEpoch(started), QLocale::ShortFormat)
                : QString(),
            readable && !summary.isAmendment() ? locale.toString(summary.sweeps) : QString(),
            readable && !summary.isAmendment() ? durationText(summary.durationMs()) : QString(),
            notes};
        for (int column = 1; column < 5; ++column) {
            auto *item = new QTableWidgetItem(cells.at(column - 1));
            item->setFlags(Qt::ItemIsEnabled);
            if (column == 4)
                item->setToolTip(notes);
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
