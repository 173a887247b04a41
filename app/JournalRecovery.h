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
// later start. Journals that never got a sweep written hold nothing and go without a word.
class JournalRecovery
{
public:
    // Opens a recovered history as a recording page, in a tab with that title.
    using PageOpener = std::function<TabPage *(const RfSpectrumHistory &, const QString &title)>;

    // Returns how many scans were recovered.
    static int offer(QWidget *parent, UserPrompts &prompts, const PageOpener &open,
                     const QString &folder = JournalFormat::folder());
};
