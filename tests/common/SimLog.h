#pragma once

#include "sim/SimulatedAnalyzer.h"

#include <QElapsedTimer>
#include <QObject>

namespace SimCodes {
constexpr quint8 k_setFBand = 0x14;
constexpr quint8 k_setRbw = 0x19;
} // namespace SimCodes

// What the simulated analyzer did, in order, with the time since the log began.
struct SimLog : QObject
{
    struct Entry
    {
        qint64 ms;
        quint8 code; // a command's code, or 0 for a sweep sent
        QByteArray payload;
        int samples;
    };
    QList<Entry> entries;
    QElapsedTimer clock;

    explicit SimLog(SimulatedAnalyzer &sim)
    {
        clock.start();
        connect(&sim, &SimulatedAnalyzer::commandReceived, this,
                [this](quint8 code, QByteArray payload) {
                    entries.append({clock.elapsed(), code, payload, 0});
                });
        connect(&sim, &SimulatedAnalyzer::sweepSent, this, [this](int samples) {
            entries.append({clock.elapsed(), 0, {}, samples});
        });
    }
    // The index of the first band command for `band` (1: 900 MHz, 2: 2.4 GHz) from `from` on.
    int bandCommand(int band, int from = 0) const
    {
        for (int i = from; i < entries.size(); ++i) {
            if (entries.at(i).code == SimCodes::k_setFBand
                && entries.at(i).payload == QByteArray(1, char(band)))
                return i;
        }
        return -1;
    }
    // The index of the first command `code` from `from` on.
    int command(quint8 code, int from) const
    {
        for (int i = from; i < entries.size(); ++i) {
            if (entries.at(i).code == code)
                return i;
        }
        return -1;
    }
    int sweepsAfter(int index) const
    {
        int count = 0;
        for (int i = index + 1; i < entries.size(); ++i)
            count += entries.at(i).code == 0 ? 1 : 0;
        return count;
    }
};
