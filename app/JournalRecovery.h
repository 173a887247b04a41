#pragma once

#include "data/JournalFormat.h"
#include "data/RfSpectrumHistory.h"

#include <functional>

class QWidget;
class TabPage;
class UserPrompts;

// At start-up: the scans that a previous run left unsaved, from the journals no running program
// holds. They are offered; a recovered one opens as a recording page that goes on with its
// journal until it is saved or discarded; a discarded one is deleted; the others stay for a
// later start. Journals that were read and hold nothing go without a word; those that cannot be
// read are listed with the reason, so that they are discarded only by the user.
class JournalRecovery
{
public:
    // Opens a recovered history as a recording page, in a tab with that title.
    using PageOpener = std::function<TabPage *(const RfSpectrumHistory &, const QString &title)>;

    // Returns how many scans were recovered.
    static int offer(QWidget *parent, UserPrompts &prompts, const PageOpener &open,
                     const QString &folder = JournalFormat::folder());

private:
    // Opens one journal's history (a scan, or a recording with its edits) in a page that goes
    // on with the journal; false, with the user told why, when it cannot.
    static bool recover(QWidget *parent, UserPrompts &prompts, const PageOpener &open,
                        const QString &path);
};
