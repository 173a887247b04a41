#include "SimulatedFrameReader.h"

#include "SimulatedFrameCodec.h"

SimulatedFrameReader::Result SimulatedFrameReader::next(quint8 &code, QByteArray &payload)
{
    if (m_buffer.isEmpty())
        return Result::NeedMore;
    if (quint8(m_buffer.at(0)) != SimulatedFrameCodec::k_startByte) {
        const int start = m_buffer.indexOf(char(SimulatedFrameCodec::k_startByte));
        m_buffer.remove(0, start < 0 ? m_buffer.size() : start);
        return Result::Rejected;
    }
    if (m_buffer.size() < SimulatedFrameCodec::k_overhead)
        return Result::NeedMore;
    const int length = quint8(m_buffer.at(1)) + SimulatedFrameCodec::k_overhead;
    if (m_buffer.size() < length)
        return Result::NeedMore;
    const QByteArray frame = m_buffer.left(length);
    if (!SimulatedFrameCodec::isValid(frame)) {
        m_buffer.remove(0, 1);
        return Result::Rejected;
    }
    m_buffer.remove(0, length);
    code = quint8(frame.at(2));
    payload = frame.mid(3, length - SimulatedFrameCodec::k_overhead);
    return Result::Frame;
}
