#pragma once

#include <QDataStream>
#include <QVector>

// Reads the element count of a list from a stream without trusting it: a recording is input
// from outside, and a forged count must neither allocate what the stream cannot hold nor
// throw away what was read before it.
class StreamCount
{
public:
    // Reads a count (i32). Returns it, or -1 and marks the stream corrupt when the count is
    // negative or larger than the bytes left in a random-access device could encode, given the
    // smallest encoding of one element. Returns -1 without reading when the stream has failed.
    static qint32 read(QDataStream &in, qint64 minElementBytes);

    // The most amplitudes a sweep can hold: its step count is a 16-bit number.
    static constexpr qint32 k_maxAmplitudes = 65536;

    // Reads a sweep's amplitudes (a count, then one byte each) in one go. A count within a
    // sweep's possible length that runs past the end of the device is a file cut short, not
    // a forged one: the bytes there are read and the stream ends past its end.
    static void readAmplitudes(QDataStream &in, QVector<qint8> &amplitudes);

    // Replaces the container with the elements read. Elements read completely before a
    // failure are kept; the one being read when the stream failed is dropped.
    template<class Container>
    static void readElements(QDataStream &in, Container &container, qint64 minElementBytes)
    {
        container.clear();
        const qint32 count = read(in, minElementBytes);
        if (count <= 0)
            return;
        if (isBounded(in))
            container.reserve(count);
        readEach(in, container, count);
    }

private:
    template<class Container>
    static void readEach(QDataStream &in, Container &container, qint32 count)
    {
        for (qint32 i = 0; i < count; ++i) {
            typename Container::value_type element;
            in >> element;
            if (in.status() != QDataStream::Ok)
                return;
            container.append(element);
        }
    }

    static bool isBounded(const QDataStream &in);
};
