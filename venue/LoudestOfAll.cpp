#include "LoudestOfAll.h"

#include <QMap>
#include <QVector>

SampleStore LoudestOfAll::merge(const QList<Stretch> &stretches, qint64 binMs)
{
    SampleStore merged;
    int columns = 0;
    for (const Stretch &s : stretches) {
        if (s.store && s.last > s.first)
            columns = s.store->columns();
    }
    if (columns == 0 || binMs <= 0)
        return merged;
    // The bins in time order, each with its row of maxima.
    QMap<qint64, QVector<qint8>> bins;
    for (const Stretch &s : stretches) {
        if (!s.store || s.store->columns() != columns)
            continue;
        for (int i = qMax(0, s.first); i < qMin(s.last, s.store->size()); ++i) {
            const qint64 t = s.store->timestamp(i);
            // Floor division, also for times before the epoch.
            const qint64 bin = (t >= 0 ? t / binMs : (t - binMs + 1) / binMs) * binMs;
            auto row = bins.find(bin);
            if (row == bins.end())
                row = bins.insert(bin, QVector<qint8>(columns, qint8(SampleStore::k_missingValue)));
            qint8 *out = row->data();
            const qint8 *values = s.store->values(i);
            for (int c = 0; c < columns; ++c)
                out[c] = qMax(out[c], values[c]);
        }
    }
    for (auto it = bins.cbegin(); it != bins.cend(); ++it)
        merged.append(it.key(), it->constData(), columns, WifiScan());
    return merged;
}
