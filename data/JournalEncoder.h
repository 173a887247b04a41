#pragma once

#include "JournalFormat.h"
#include "RfSpectrumHistory.h"

// Turns the changes of a history into journal records (see JournalFormat). It remembers the
// access-point set it wrote last, so that the samples that share one name it instead of
// repeating it.
class JournalEncoder
{
public:
    void header(QByteArray &out, const RfSpectrumHistory &history, qint64 createdMs,
                const QString &programVersion);
    // Every element of a history, as the records that would have built it.
    void contents(QByteArray &out, const RfSpectrumHistory &history);
    void sample(QByteArray &out, const RfSpectrumSample &sample);
    void sample(QByteArray &out, qint64 timestamp, const char *values, int length,
                const WifiScan &accessPoints);
    void newestWifi(QByteArray &out, const WifiScan &accessPoints);
    void timeEvent(QByteArray &out, const TimeEvent &event, bool added);
    void label(QByteArray &out, const SpectroLabel &label, bool added);
    void projectInfo(QByteArray &out, const ProjectInfoData &info);
    // The recording file whose history the journal's edits amend.
    void amends(QByteArray &out, const QString &path, qint64 size, qint64 modifiedMs);
    // Goes on numbering access-point sets after those of an existing journal.
    void continueAfter(quint32 lastSetNumber);

private:
    // The number of the set `accessPoints`, written first when it is not the last one written.
    quint32 setNumber(QByteArray &out, const WifiScan &accessPoints);

    WifiScan m_lastSet;
    quint32 m_lastSetNumber = 0;
    quint32 m_nextSetNumber = 1;
};
