#pragma once

#include <QByteArray>

// Cuts the byte stream the device receives into frames, as the device's firmware does: bytes
// that cannot start a frame are skipped up to the next start byte, and a frame whose CRC does
// not match is rejected by dropping its start byte, so that a start byte inside it can still
// begin the next frame.
class SimulatedFrameReader
{
public:
    enum class Result { NeedMore, Frame, Rejected };

    void append(const QByteArray &bytes) { m_buffer.append(bytes); }
    void clear() { m_buffer.clear(); }
    bool isEmpty() const { return m_buffer.isEmpty(); }

    // The next frame at the front of the stream: Frame fills `code` and `payload`; Rejected
    // means that stray bytes or a broken frame were dropped (call again for what follows);
    // NeedMore means that the stream holds no complete frame.
    Result next(quint8 &code, QByteArray &payload);

private:
    QByteArray m_buffer;
};
