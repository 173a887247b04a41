#include "SweepLines.h"

#include "SampleStore.h"

#include <QDateTime>
#include <QSaveFile>

SweepLines::SweepLines(const FrequencyAxis &axis)
    : m_axis(axis)
{
    m_levels.reserve(SampleStore::k_levels);
    for (int v = SampleStore::k_missingValue;
         v < SampleStore::k_missingValue + SampleStore::k_levels; ++v)
        m_levels.append(", " + QByteArray::number(v) + ".0");
}

QByteArray SweepLines::line(qint64 msecs, const qint8 *values, int length) const
{
    bool filler = true;
    for (int j = 0; j < length && filler; ++j)
        filler = values[j] == SampleStore::k_missingValue;
    if (filler)
        return QByteArray();
    QByteArray line = QDateTime::fromMSecsSinceEpoch(msecs)
                          .toString(QStringLiteral("yyyy-MM-dd, HH:mm:ss"))
                          .toLatin1();
    line.reserve(line.size() + 48 + 7 * length);
    line += ", " + QByteArray::number(m_axis.hertz(0)) + ", "
        + QByteArray::number(m_axis.hertz(length - 1)) + ", "
        + QByteArray::number(m_axis.stepHertz()) + ", 1";
    for (int j = 0; j < length; ++j)
        line += m_levels.at(values[j] - SampleStore::k_missingValue);
    line += '\n';
    return line;
}

bool SweepLines::save(const QString &path, const SampleStore &store, int first, int last,
                      const FrequencyAxis &axis,
                      const std::function<bool(qint64 done, qint64 total)> &progress,
                      QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    const SweepLines lines(axis);
    first = qMax(first, 0);
    last = qMin(last, store.size());
    for (int i = first; i < last; ++i) {
        if (progress && (i - first) % 256 == 0 && !progress(i - first, last - first)) {
            error->clear();
            file.cancelWriting();
            return false;
        }
        int length = 0;
        const char *values = store.ownValues(i, &length);
        const QByteArray line
            = lines.line(store.timestamp(i), reinterpret_cast<const qint8 *>(values), length);
        if (file.write(line) != line.size())
            break;
    }
    // Flushed first: the commit would not notice that writing the buffer's rest failed.
    if (file.error() != QFileDevice::NoError || !file.flush() || !file.commit()) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}
