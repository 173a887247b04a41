#pragma once

#include "UserPrompts.h"

#include <QDialog>
#include <functional>

class QTableWidget;

// Offers the scans that a previous run left unsaved (their journals): which band, when each
// started, how many sweeps over how long, and what was damaged. The user ticks the ones to act
// on and recovers them (each opens as a recording, from which it can be saved), discards
// them (after a confirmation), or leaves everything for a later start.
class RecoveryDialog : public QDialog
{
    Q_OBJECT

public:
    explicit RecoveryDialog(const QList<JournalReader::Entry> &journals, QWidget *parent = nullptr);

    // Asks before deleting; tests answer it.
    void setDiscardConfirmation(std::function<bool(int count)> confirm)
    {
        m_confirmDiscard = std::move(confirm);
    }
    QTableWidget *table() const { return m_table; }
    UserPrompts::RecoveryAnswer answer() const { return m_answer; }

    // "h:mm:ss" of a duration, hours unbounded.
    static QString durationText(qint64 ms);

private:
    void finish(UserPrompts::RecoveryAnswer::Action action);
    QList<int> checkedRows() const;

    QTableWidget *m_table = nullptr;
    UserPrompts::RecoveryAnswer m_answer;
    std::function<bool(int)> m_confirmDiscard;
};
