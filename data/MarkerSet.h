#pragma once

#include "FrequencyAxis.h"
#include "ReferenceTrace.h"
#include "SpectrumTraces.h"

#include <QList>

// Up to four markers, each at a frequency step and numbered 1 to 4 (a new one takes the lowest
// free number), one of them selected. Their read-outs come from the traces of the window in
// view: the Max Hold, Average and newest-sweep levels there; for markers 2 to 4 the distance
// to marker 1 in frequency and in Max Hold; with a reference, its level and how far the same
// trace now lies above it.
//
// A marker stays on its step and keeps its number whatever the window shows; only the user
// moves it, or a peak search moves its own. The peak search (Peak, Next Peak, the peak table)
// has one marker of its own: the one it placed, until the user moves or removes it. A marker
// the user placed or moved is never taken by a search.
class MarkerSet
{
public:
    static constexpr int k_maxMarkers = 4;

    struct Marker
    {
        int number = 0;
        int step = 0;
    };

    struct Readout
    {
        int number = 0;
        int step = 0;
        qint64 hertz = 0;
        bool hasLevels = false; // the window in view holds sweeps
        double maxHold = SpectrumTraces::k_noLevel;
        double average = SpectrumTraces::k_noLevel; // to the tenth, halves away from zero
        double newest = SpectrumTraces::k_noLevel;
        bool hasDelta = false; // marker 1 is there, and this is another
        qint64 deltaHertz = 0;
        double deltaDb = 0.0; // of the Max Hold, when hasLevels
        bool hasReference = false;
        double reference = 0.0;
        double referenceDelta = 0.0;
    };

    // In the order of their numbers.
    const QList<Marker> &markers() const { return m_markers; }
    bool isEmpty() const { return m_markers.isEmpty(); }
    bool isFull() const { return m_markers.size() == k_maxMarkers; }
    // The selected marker's number; 0 when there is none.
    int selected() const { return m_selected; }
    // A marker's step; -1 for a number not in use.
    int stepOf(int number) const;

    // A new marker placed by the user, selected; its number, or 0 when four are placed already.
    int add(int step);
    // The user moves a marker (the peak search's becomes the user's).
    void move(int number, int step);
    // A peak search chose `step`: a marker on it already is selected; else the search's own
    // marker moves there, or a new one becomes the search's. The number of the marker on the
    // step, selected; 0 when the four placed are all the user's.
    int showFound(int step);
    // Whether showFound() can place a marker anywhere.
    bool canShowFound() const { return m_found != 0 || !isFull(); }
    // The peak search's marker; 0 when it has none.
    int found() const { return m_found; }
    void remove(int number);
    void clear();
    void select(int number);
    // The user moves the selected marker by `delta` steps, staying within [0, steps); false when
    // none is selected or it is at the end already.
    bool stepSelected(int delta, int steps);

    QList<Readout> readouts(const SpectrumTraces &traces, const FrequencyAxis &axis,
                            const ReferenceTrace &reference) const;

private:
    void place(int number, int step);

    QList<Marker> m_markers;
    int m_selected = 0;
    int m_found = 0;
};
