#include "HeldSweeps.h"

void HeldSweeps::add(quint64 seq, const SensorBand &band, const RfSpectrumSample &sample)
{
    if (m_runs.isEmpty() || m_runs.last().band != band || m_runs.last().end() != seq)
        m_runs.append({seq, band, {}});
    m_runs.last().samples.append(sample);
    m_bytes += bytesOf(sample);
    while (m_bytes > m_boundBytes && !m_runs.isEmpty()) {
        Run &oldest = m_runs.first();
        m_bytes -= bytesOf(oldest.samples.takeFirst());
        ++oldest.first;
        ++m_dropped;
        if (oldest.samples.isEmpty())
            m_runs.removeFirst();
    }
}

HeldSweeps::Run HeldSweeps::takeFirst()
{
    Run run = m_runs.takeFirst();
    for (const RfSpectrumSample &sample : qAsConst(run.samples))
        m_bytes -= bytesOf(sample);
    return run;
}

qint64 HeldSweeps::bytesOf(const RfSpectrumSample &sample)
{
    return sample.scan.size() + qint64(sizeof(RfSpectrumSample));
}
