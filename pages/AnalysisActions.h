#pragma once

#include "data/ScanExport.h"
#include "data/SpectrumTraces.h"

#include <QObject>
#include <QPointer>
#include <QToolBar>

class CaptureActions;
class QAction;
class SpectrumAnalysis;
class TabPage;

// The buttons of a page's analysis and what they run: Peak and Next Peak move the peak marker,
// Peaks shows the panel, Reference sets one from a trace in view or from another recording
// (Compare With asks which) or clears it, and Export writes the scan for coordination software
// (in either layout), as a summary or sweep by sweep for SDR tools, of the window in view or
// the whole history, where the user chooses; Capture Max and Capture Average write the scan in
// view to the capture folder without asking (CaptureActions). The window's dialogs, recordings,
// export folder and status bar come through the analysis's context; without one, Compare With,
// Export and the captures do nothing.
class AnalysisActions : public QObject
{
    Q_OBJECT

public:
    AnalysisActions(SpectrumAnalysis *analysis, TabPage *page);
    ~AnalysisActions() override;

    // Peak, Next Peak, Peaks, Reference, Export, Capture Max and Capture Average.
    QToolBar *toolBar() const { return m_toolBar; }
    QAction *peakAction() const { return m_peakAction; }
    QAction *nextPeakAction() const { return m_nextPeakAction; }
    QAction *peakTableAction() const { return m_peakTableAction; }
    QAction *referenceAction() const { return m_referenceAction; }
    QAction *setReferenceAction(SpectrumTraces::Kind kind) const;
    QAction *compareWithAction() const { return m_compareWithAction; }
    QAction *clearReferenceAction() const { return m_clearReferenceAction; }
    QAction *exportAction() const { return m_exportAction; }
    QAction *exportCoordinationAction(SpectrumTraces::Kind trace) const;
    QAction *exportWsmAction(SpectrumTraces::Kind trace) const;
    QAction *exportSummaryAction() const { return m_exportSummaryAction; }
    QAction *exportSweepsAction() const { return m_exportSweepsAction; }
    QAction *exportWholeHistoryAction() const { return m_exportWholeAction; }
    CaptureActions *captureActions() const { return m_capture; }

    // Offers the window's other recordings; the chosen one's Max Hold in its window becomes
    // the reference, when it is of the same band and frequency steps.
    void compareWith();
    void exportScan(ScanExport::Format format, SpectrumTraces::Kind trace);

private:
    // The stretch of sweeps an export covers: the window in view or the whole history.
    SpectrumTraces exportTraces();

    SpectrumAnalysis *const m_analysis;
    TabPage *const m_page;
    QPointer<QToolBar> m_toolBar; // the window may take it

    QAction *m_peakAction = nullptr;
    QAction *m_nextPeakAction = nullptr;
    QAction *m_peakTableAction = nullptr;
    QAction *m_referenceAction = nullptr;
    QAction *m_setReferenceMaxAction = nullptr;
    QAction *m_setReferenceAverageAction = nullptr;
    QAction *m_compareWithAction = nullptr;
    QAction *m_clearReferenceAction = nullptr;
    QAction *m_exportAction = nullptr;
    QAction *m_exportMaxAction = nullptr;
    QAction *m_exportAverageAction = nullptr;
    QAction *m_exportNewestAction = nullptr;
    QAction *m_exportWsmMaxAction = nullptr;
    QAction *m_exportWsmAverageAction = nullptr;
    QAction *m_exportWsmNewestAction = nullptr;
    QAction *m_exportSummaryAction = nullptr;
    QAction *m_exportSweepsAction = nullptr;
    QAction *m_exportWholeAction = nullptr;
    CaptureActions *m_capture = nullptr;
};
