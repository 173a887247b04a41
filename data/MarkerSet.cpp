#include "MarkerSet.h"

#include <algorithm>

int MarkerSet::stepOf(int number) const
{
    for (const Marker &marker : m_markers) {
        if (marker.number == number)
            return marker.step;
    }
    return -1;
}

int MarkerSet::add(int step)
{
    if (isFull())
        return 0;
    int number = 1;
    auto at = m_markers.begin();
    while (at != m_markers.end() && at->number == number) {
        ++number;
        ++at;
    }
    m_markers.insert(at, {number, step});
    m_selected = number;
    return number;
}

void MarkerSet::place(int number, int step)
{
    for (Marker &marker : m_markers) {
        if (marker.number == number)
            marker.step = step;
    }
}

void MarkerSet::move(int number, int step)
{
    place(number, step);
    if (number == m_found)
        m_found = 0;
}

int MarkerSet::showFound(int step)
{
    for (const Marker &marker : qAsConst(m_markers)) {
        if (marker.step == step) {
            m_selected = marker.number;
            return marker.number;
        }
    }
    if (m_found != 0) {
        place(m_found, step);
        m_selected = m_found;
        return m_found;
    }
    m_found = add(step);
    return m_found;
}

void MarkerSet::remove(int number)
{
    m_markers.erase(
        std::remove_if(m_markers.begin(), m_markers.end(),
                       [number](const Marker &marker) { return marker.number == number; }),
        m_markers.end());
    if (m_selected == number)
        m_selected = m_markers.isEmpty() ? 0 : m_markers.constLast().number;
    if (m_found == number)
        m_found = 0;
}

void MarkerSet::clear()
{
    m_markers.clear();
    m_selected = 0;
    m_found = 0;
}

void MarkerSet::select(int number)
{
    if (stepOf(number) >= 0)
        m_selected = number;
}

bool MarkerSet::stepSelected(int delta, int steps)
{
    const int step = stepOf(m_selected);
    if (step < 0 || steps <= 0)
        return false;
    const int moved = qBound(0, step + delta, steps - 1);
    if (moved == step)
        return false;
    move(m_selected, moved);
    return true;
}

QList<MarkerSet::Readout> MarkerSet::readouts(const SpectrumTraces &traces,
                                              const FrequencyAxis &axis,
                                              const ReferenceTrace &reference) const
{
    QList<Readout> result;
    const bool haveLevels = !traces.isEmpty();
    const bool haveReference = haveLevels && reference.levels.size() == traces.steps();
    const int firstStep = stepOf(1);
    for (const Marker &marker : m_markers) {
        Readout readout;
        readout.number = marker.number;
        readout.step = marker.step;
        readout.hertz = axis.hertz(marker.step);
        const bool inTraces = haveLevels && marker.step < traces.steps();
        readout.hasLevels = inTraces;
        if (inTraces) {
            readout.maxHold = traces.maxHold(marker.step);
            // In tenths rounded as the exports round them, so that both read the same.
            readout.average = double(traces.averageTenths(marker.step)) / 10.0;
            readout.newest = traces.newest(marker.step);
        }
        if (marker.number != 1 && firstStep >= 0) {
            readout.hasDelta = true;
            readout.deltaHertz = readout.hertz - axis.hertz(firstStep);
            if (inTraces && firstStep < traces.steps())
                readout.deltaDb = readout.maxHold - traces.maxHold(firstStep);
        }
        if (haveReference && inTraces) {
            readout.hasReference = true;
            readout.reference = reference.levels.at(marker.step);
            readout.referenceDelta = traces.level(reference.kind, marker.step) - readout.reference;
        }
        result.append(readout);
    }
    return result;
}
