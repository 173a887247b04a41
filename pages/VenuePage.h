#pragma once

#include "data/FrequencyAxis.h"
#include "data/SampleStore.h"
#include "data/SpectrumTraces.h"

#include <QColor>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <utility>

class QComboBox;
class QLabel;
class QPushButton;
class QwtPlot;
class QwtPlotCurve;
class QwtPlotMarker;
class RangeSlider;
class SpectroPlot;
class TabPage;
class VenueWaterfalls;
class WaterfallPlot;

// The venue page of one band: every source that scans the band (the analyzers on this
// computer, the venue's sensors) on one screen and one time axis. At the top the trace of each
// source (Max Hold, Average or the newest sweep over the window) in its own colour with a
// legend of the sources' names, and a marker that reads every source at its frequency; under
// it the "loudest of all" density spectrogram, whose sweeps hold in each cell the highest value
// any source measured in a quarter of a second; at the bottom a slim waterfall per source. One
// time bar moves them all. The page reads the sources' own live pages, so everything it shows
// was measured by them; a source with no sweeps yet is left out.
class VenuePage : public QWidget
{
    Q_OBJECT

public:
    // The width of the time bins in which the loudest of all is taken.
    static constexpr qint64 k_loudestBinMs = 250;
    // Sweeps arriving closer together than this share one redraw of the page.
    static constexpr int k_refreshIntervalMs = 200;

    // `band` is 900 or 2400.
    explicit VenuePage(int band, QWidget *parent = nullptr);
    ~VenuePage() override;

    int band() const { return m_band; }
    QString bandName() const;
    // Adds a source's live page of this band (a page added again is ignored).
    void addSource(const QString &name, TabPage *page);
    bool hasSource(const TabPage *page) const;
    // The sources shown (those with sweeps), in the order of the legend.
    QStringList sourceNames() const;
    QColor colourOf(const QString &source) const;

    // The stretch of time shown, ms since the epoch: the two minutes that end at the newest
    // sweep of any source, or where the user moved the time bar to.
    std::pair<qint64, qint64> window() const { return {m_from, m_to}; }
    // The sweeps of one source's page within the window: [first, last) of its store.
    std::pair<int, int> rangeOf(const TabPage *page) const;
    bool followsLiveEdge() const { return m_follow; }
    const SampleStore &loudest() const { return m_loudest; }

    SpectrumTraces::Kind traceKind() const { return m_kind; }
    void setTraceKind(SpectrumTraces::Kind kind);

    // What each source measured at a frequency (MHz) with the trace shown, the loudest first;
    // the marker on the traces stands there.
    struct Reading
    {
        QString source;
        double level = SpectrumTraces::k_noLevel;
    };
    void setMarker(double megahertz);
    QList<Reading> markerReadings() const;
    QString markerText() const;

    // A line about which sources followed the last band switch.
    void setFollowNote(const QString &text);
    QString followNote() const;

    QwtPlot *tracePlot() const { return m_tracePlot; }
    QwtPlotCurve *curveOf(const QString &source) const;
    SpectroPlot *loudestPlot() const { return m_loudestPlot; }
    QList<WaterfallPlot *> waterfalls() const;
    RangeSlider *timeBar() const { return m_timeBar; }
    QPushButton *bandButton(int band) const { return band == 900 ? m_to900 : m_to2400; }
    QComboBox *traceBox() const { return m_traceBox; }

public Q_SLOTS:
    // Reads the sources again and redraws (paced: new sweeps call it through a timer).
    void refresh();

Q_SIGNALS:
    // The user asks every source of the page to scan `band` (900 or 2400).
    void bandSwitchRequested(int band);

private:
    struct Source
    {
        QString name;
        QPointer<TabPage> page;
        QColor colour;
        QwtPlotCurve *curve = nullptr;
        WaterfallPlot *waterfall = nullptr;
        SpectrumTraces traces; // over the window drawn, read by the marker too
    };

    void buildWidgets();
    void onTimeBarMoved();
    // The sources' newest and oldest sweep times; false when none has a sweep.
    bool timeSpan(qint64 *first, qint64 *newest) const;
    void placeTimeBar(qint64 first, qint64 newest);
    void drawTraces();
    void drawLoudest();
    void drawWaterfalls();
    void showMarkerText();
    // The names of the sources shown, each in its colour.
    void showLegend();
    int steps() const;

    const int m_band;
    const FrequencyAxis m_axis;
    QList<Source> m_sources;
    SpectrumTraces::Kind m_kind = SpectrumTraces::Kind::MaxHold;
    qint64 m_from = 0;
    qint64 m_to = 0;
    bool m_follow = true;
    bool m_placingBar = false;
    SampleStore m_loudest;
    double m_markerMhz = 0.0;
    bool m_markerSet = false;
    QTimer m_refreshTimer;

    QComboBox *m_traceBox = nullptr;
    QPushButton *m_to2400 = nullptr;
    QPushButton *m_to900 = nullptr;
    QLabel *m_followNote = nullptr;
    QLabel *m_legend = nullptr;
    QwtPlot *m_tracePlot = nullptr;
    QwtPlotMarker *m_marker = nullptr;
    QLabel *m_markerText = nullptr;
    SpectroPlot *m_loudestPlot = nullptr;
    VenueWaterfalls *m_waterfalls = nullptr;
    RangeSlider *m_timeBar = nullptr;
    QLabel *m_windowText = nullptr;
};
