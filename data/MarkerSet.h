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

    // A new marker, selected; its number, or 0 when four are placed already.
    int add(int step);
    void move(int number, int step);
    void remove(int number);
    void clear();
    void select(int number);
    // Moves the selected marker by `delta` steps, staying within [0, steps); false when none is
    // selected or it is at the end already.
    bool stepSelected(int delta, int steps);

    QList<Readout> readouts(const SpectrumTraces &traces, const FrequencyAxis &axis,
                            const ReferenceTrace &reference) const;

private:
    QList<Marker> m_markers;
    int m_selected = 0;
};
