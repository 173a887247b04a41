#pragma once

#include "JournalFormat.h"
#include "JournalReader.h"

#include <QHash>

class QDataStream;

// Replays journal records (see JournalFormat) onto a reader's result, one at a time. Each
// record is read whole first; only one that is what the program writes at its place changes
// the result, so a record that is refused leaves everything as it was.
class JournalReplay
{
public:
    // A summary counts sweeps without keeping them.
    JournalReplay(JournalReader::Result &result, bool summaryOnly);

    bool headerSeen() const { return m_headerSeen; }
    // After damage, a sample may name an access-point set whose record was lost: it is then
    // taken without access points instead of being refused.
    void setAfterDamage() { m_afterDamage = true; }

    // False when the record cannot be what the program writes at this place.
    bool apply(JournalFormat::Record type, const QByteArray &payload);

private:
    bool set(quint32 number, WifiScan *accessPoints) const;
    bool sample(QDataStream &in);
    void commitSample();

    JournalReader::Result &m_result;
    const bool m_summaryOnly;
    bool m_headerSeen = false;
    // Records read after the header; an Amends record may only be the first of them.
    int m_recordsAfterHeader = 0;
    bool m_afterDamage = false;
    RfSpectrumSample m_sample;
    QHash<quint32, WifiScan> m_sets;
};
