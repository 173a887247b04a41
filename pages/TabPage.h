#pragma once

#include "data/JournalKeeper.h"
#include "data/PageHistory.h"
#include "data/ProjectInfoData.h"
#include "data/RfSpectrumScan.h"
#include "data/ScanParams.h"

#include <QPixmap>
#include <QWidget>
#include <memory>
#include <utility>

class HistoryJournal;
class QAction;
class QLabel;
class QMenu;
struct PageActions;
class QStackedWidget;
class PageTimeBar;
class PageToolBar;
class QToolBar;
class RangeSlider;
class ReplotPacer;
class SpectroPlot;
class SpectrumAnalysis;
class VexaIdOverlay;
class WaterfallPlot;

// The page of one frequency band, live or played back from a recording. It keeps the band's
// whole history, shows a two-minute window of it (or any stretch the user pans the time bar
// to) on the spectrogram or the waterfall, records the user's time events and labels, pads the
// history over the time the analyzer swept the other band, and renders watermarked snapshots.
class TabPage : public QWidget
{
    Q_OBJECT

public:
    // Shortest time between two redraws of the displays: about the screen's refresh rate.
    // Sweeps that arrive faster update the data at once and share the next redraw.
    static constexpr int k_minReplotIntervalMs = 16;
    static constexpr qint64 k_maxPaddedGapMs = PageHistory::k_maxPaddedGapMs;

    // A live page with an empty history.
    TabPage(const PageActions &actions, QWidget *parent);
    // A playback page showing a stored history.
    TabPage(RfSpectrumHistory hist, const PageActions &actions, QWidget *parent);
    ~TabPage() override;

    RfSpectrumHistory hist() const { return m_history->history(); }
    const RfSpectrumHistory &history() const { return m_history->history(); }
    bool isPlayback() const { return m_playback; }

    // Unsaved work (see JournalKeeper). A page that keeps a journal counts every change of
    // its history; what a save wrote is the revision it took its copy at. While the history
    // holds changes that are not saved, the journal follows it, and it is deleted once they
    // are saved or cleared. The live pages journal their scans, a recovered page goes on with
    // the journal it came from, and a recording opened from a file journals its edits.
    // Goes on with the journal a recovered history was read from; a journal of edits names the
    // recording, which held `original`. The history is unsaved until it is saved, and the page
    // offers Save.
    bool adoptJournal(const QString &path, const JournalReader::Result &read,
                      const JournalKeeper::FileEdits &original = JournalKeeper::FileEdits());
    JournalKeeper *journalKeeper() const { return m_history->keeper(); }
    HistoryJournal *journal() const;
    bool hasUnsavedChanges() const;
    // The sweeps [first, last) the time bar selects; empty (0, 0) when it selects none.
    std::pair<int, int> visibleRange() const;
    // A copy taken at `revision` was saved to `path`; the journal goes if nothing changed
    // since. A recording page is from then on that file's.
    void markSaved(quint64 revision, const QString &path = QString(),
                   const RfSpectrumHistory *saved = nullptr);
    // A short name of the page's band for the user: "2.4 GHz" or "900 MHz".
    QString bandName() const;
    // The current display with the watermark over its canvas.
    QPixmap takeSnapshot();
    // Adds the QC pass line at -40 dBm to the spectrogram.
    void setQcMode();

    // A time event placed by the program (an alert of the watch): shown on the waterfall and
    // recorded in the history (and its journal) as the user's are.
    void placeTimeEvent(const TimeEvent &event);

    // Pads the history with floor-level sweeps, a mean sample interval apart, up to `now`
    // (ms since the epoch): what fillMissingHist() does up to the present.
    void fillMissingHistUntil(qint64 now);

    SpectroPlot *spectroPlot() const { return m_spectroPlot; }
    WaterfallPlot *waterfallPlot() const { return m_waterfallPlot; }
    QStackedWidget *viewStack() const { return m_viewStack; }
    RangeSlider *timeBar() const { return m_timeBar; }
    // The row under the plots: the time bar, its read-out and a note about the page's source.
    PageTimeBar *bottomBar() const { return m_bottomBar; }
    QToolBar *toolBar() const;
    // The tool bar's menu of what shows the band's networks.
    QMenu *networksMenu() const;
    QAction *wholeHistoryAction() const;
    QLabel *elapsedLabel() const;
    VexaIdOverlay *vexaIdOverlay() const { return m_vexaIdOverlay.get(); }
    // Markers, peaks, the reference trace and exports of the spectrogram.
    SpectrumAnalysis *analysis() const { return m_analysis; }
    int firstVisibleIndex() const { return m_firstVisibleIndex; }
    double meanSampleInterval() const { return m_history->meanSampleInterval(); }

Q_SIGNALS:
    // The displays show another stretch of the history (a new sweep, the time bar moved).
    void visibleWindowChanged();
    // The journal cannot be written: the unsaved history is no longer safe from a crash.
    void journalFailed(const QString &reason);
    // The journal is written again, with everything unsaved.
    void journalResumed();
    // A live sweep entered the history (not a gap filler the page padded it with).
    void sweepAdded();
    // A time event was added or removed, or the history was cleared.
    void timeEventsChanged();
    // The user asks for a site-survey report of what the page shows.
    void reportRequested();

public:
    // Whether the waterfall is in front (the spectrogram otherwise); each page keeps its own.
    bool showsWaterfall() const;

public Q_SLOTS:
    void toggleView();
    // Shows everything since the first sweep (and, live, goes on doing so), or again the two
    // minutes that end where the view ends.
    void setWholeHistory(bool on);
    virtual void onNewSpecScan(qint64 timeStamp, RfSpectrumScan spectrum) = 0;
    void addNewSpectrumSample(RfSpectrumSample spectrumSample);
    // Live sweeps that arrive together (a remote sensor's backlog): each enters the history as
    // addNewSpectrumSample() takes it, and the displays follow them once.
    void addSweeps(const QVector<RfSpectrumSample> &sweeps);
    void clearHist();
    void fillMissingHist();
    void setProjectInfo(ProjectInfoData data);
    void onTimeBarMoved();
    void onTimeEventAdded(TimeEvent event);
    void onTimeEventRemoved(TimeEvent event);
    void onSpectroLabelAdded(SpectroLabel label);
    void onSpectroLabelRemoved(SpectroLabel label);

protected:
    // A live page's ranges: FStart to FStart + Span of the band (a missing key reads as 0)
    // and the nominal amplitude range, onto the history and both displays.
    void setBandIntervals(const ScanParams &params);
    // The history's frequency and amplitude ranges onto both displays' scales and data.
    void applyIntervals();
    // Moves the start of the live window up until it spans no more than the time window
    // before the newest sample, then shows it.
    void followLiveEdge();
    // The newest sample's access points are replaced by a newer Wi-Fi scan.
    void setNewestWifi(const WifiScan &accessPoints);

private:
    void buildWidgets(const PageActions &actions, bool playback);
    void updateLabels(qint64 upperValue);
    void connectDisplays();
    // The time bar's range after new sweeps (there were `before`); the view follows them
    // unless panned back.
    void showNewSweeps(int before);
    // A recording page with unsaved changes shows Save in its tool bar.
    void offerSave();

    PageHistory *const m_history;
    bool m_playback = false;
    PageToolBar *m_toolBar = nullptr;
    QStackedWidget *m_viewStack = nullptr;
    SpectroPlot *m_spectroPlot = nullptr;
    WaterfallPlot *m_waterfallPlot = nullptr;
    bool m_wholeHistory = false;
    PageTimeBar *m_bottomBar = nullptr;
    RangeSlider *m_timeBar = nullptr;
    int m_firstVisibleIndex = 0;
    std::unique_ptr<VexaIdOverlay> m_vexaIdOverlay;
    SpectrumAnalysis *m_analysis = nullptr;
    ReplotPacer *m_replots = nullptr;
};
