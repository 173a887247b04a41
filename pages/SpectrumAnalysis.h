#pragma once

#include "AnalysisActions.h"
#include "data/FrequencyAxis.h"
#include "data/MarkerSet.h"
#include "data/PeakSearch.h"
#include "data/ReferenceTrace.h"
#include "data/SpectrumTraces.h"
#include "plots/SpectroStatistics.h"

#include <QObject>
#include <QPixmap>

class AnalysisContext;
class CaptureActions;
class MarkerLayer;
class MarkerTable;
class PeakPanel;
class PeakTable;
class PlacedLabelMarker;
class QwtPlotCurve;
class TabPage;

// What a technician reads off a band page's spectrogram: up to four markers with their levels
// (the table under the plot), the strongest peaks that stand out (the Peaks panel beside it), a
// reference trace to compare with, and exports of the scan for coordination software or as a
// summary. Everything follows the window in view; gap fillers count in nothing. Its tool bar
// holds Peak, Next Peak, Peaks (the panel), Reference, Export and the captures
// (AnalysisActions).
class SpectrumAnalysis : public QObject
{
    Q_OBJECT

public:
    // The page's spectrogram and history.
    explicit SpectrumAnalysis(TabPage *page);

    // The window around the page: its dialogs, the other recordings, the busy threshold.
    // Without one, nothing asks or tells the user anything and the threshold is -80 dBm.
    void setContext(AnalysisContext *context);
    AnalysisContext *context() const { return m_context; }

    // Peak, Next Peak, Peaks, Reference and Export; hidden until the window shows it (the
    // page's own tool bar would not hold them at the usual window widths).
    QToolBar *toolBar() const { return m_actions->toolBar(); }
    MarkerTable *markerTable() const { return m_markerTable; }
    PeakPanel *peakPanel() const { return m_peakPanel; }
    PeakTable *peakTable() const;
    MarkerLayer *layer() const { return m_layer; }
    QwtPlotCurve *referenceCurve() const { return m_referenceCurve; }
    // Placed among the spectrogram's other labels.
    PlacedLabelMarker *referenceCaption() const { return m_referenceCaption; }

    const MarkerSet &markers() const { return m_markers; }
    // The traces and peaks of the window in view.
    const SpectrumTraces &traces();
    const QList<PeakSearch::Peak> &peaks();
    const ReferenceTrace &reference() const { return m_reference; }
    FrequencyAxis axis() const;
    int busyThreshold() const;

    QAction *peakAction() const { return m_actions->peakAction(); }
    QAction *nextPeakAction() const { return m_actions->nextPeakAction(); }
    QAction *peakTableAction() const { return m_actions->peakTableAction(); }
    QAction *referenceAction() const { return m_actions->referenceAction(); }
    QAction *setReferenceAction(SpectrumTraces::Kind kind) const
    {
        return m_actions->setReferenceAction(kind);
    }
    QAction *compareWithAction() const { return m_actions->compareWithAction(); }
    QAction *clearReferenceAction() const { return m_actions->clearReferenceAction(); }
    QAction *exportAction() const { return m_actions->exportAction(); }
    QAction *exportCoordinationAction(SpectrumTraces::Kind trace) const
    {
        return m_actions->exportCoordinationAction(trace);
    }
    QAction *exportWsmAction(SpectrumTraces::Kind trace) const
    {
        return m_actions->exportWsmAction(trace);
    }
    QAction *exportSummaryAction() const { return m_actions->exportSummaryAction(); }
    QAction *exportSweepsAction() const { return m_actions->exportSweepsAction(); }
    QAction *exportWholeHistoryAction() const { return m_actions->exportWholeHistoryAction(); }
    CaptureActions *captureActions() const { return m_actions->captureActions(); }

    // A snapshot of the spectrogram with the marker table under it, when markers are placed.
    QPixmap withReadouts(const QPixmap &plotShot) const;
    // The sweeps first ... last - 1 of a page, as a caption ("... to ...").
    static QString windowText(const TabPage *page, int first, int last);

public Q_SLOTS:
    // The window in view changed (or the busy threshold): traces, peaks, markers and tables
    // follow, at once while markers or the peak table are on show, else when next asked for.
    void refresh();
    // The peak search's marker (a new one unless it has one; see MarkerSet) on the strongest
    // peak in view, or on the next lower peak after the selected marker.
    void peak();
    void nextPeak();
    // A new marker at the step nearest the frequency (the selected one moves there when four
    // are placed).
    void placeMarker(double megahertz);
    void moveMarker(int number, int step);
    void selectMarker(int number);
    void stepMarker(int steps);
    void removeMarker();
    // The trace of the window in view becomes the reference.
    void setReference(SpectrumTraces::Kind kind);
    // This one becomes the reference: shown dashed, the markers reading against it.
    void useReference(const ReferenceTrace &reference);
    void clearReference();

private:
    // Counts the window in view, unless that is done already.
    void ensureCurrent();
    void update();
    void showMarkers(bool replot);
    void showReference();
    void updatePanels();

    TabPage *const m_page;
    AnalysisContext *m_context = nullptr;
    SpectroStatistics m_statistics;
    SpectrumTraces m_traces;
    QList<PeakSearch::Peak> m_peaks;
    MarkerSet m_markers;
    ReferenceTrace m_reference;
    int m_first = 0;
    int m_last = 0;
    bool m_stale = true;

    MarkerLayer *m_layer = nullptr;
    QwtPlotCurve *m_referenceCurve = nullptr;
    PlacedLabelMarker *m_referenceCaption = nullptr;
    MarkerTable *m_markerTable = nullptr;
    PeakPanel *m_peakPanel = nullptr;
    AnalysisActions *m_actions = nullptr;
};
