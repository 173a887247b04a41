#pragma once

#include "data/SpectrumTraces.h"

#include <QObject>

class QAction;
class SpectrumAnalysis;
class TabPage;

// Capture Max and Capture Average: the coordination scan of the window in view written at once
// to the capture folder, named after the band and the time of the window's newest sweep
// ("2.4GHz_2026-12-09T205316_max.txt"), with the status bar saying where; no dialog but the
// folder's, asked for once (and again after a capture could not be written there). Capture
// Folder... chooses another. Made for a walk-round that feeds coordination software.
class CaptureActions : public QObject
{
    Q_OBJECT

public:
    CaptureActions(SpectrumAnalysis *analysis, TabPage *page, QObject *parent);

    // The Max Hold's or the Average's (any other trace: the Max Hold's).
    QAction *captureAction(SpectrumTraces::Kind trace) const;
    QAction *folderAction() const { return m_folderAction; }

    // Writes the scan of the trace in view; the file written, empty when none was.
    QString capture(SpectrumTraces::Kind trace);
    // Asks for the capture folder; false when no folder was chosen.
    bool chooseFolder();

private:
    SpectrumAnalysis *const m_analysis;
    TabPage *const m_page;
    QAction *m_maxAction = nullptr;
    QAction *m_averageAction = nullptr;
    QAction *m_folderAction = nullptr;
};
