#pragma once

#include <QDataStream>

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
        for (qint32 i = 0; i < count; ++i) {
            typename Container::value_type element;
            in >> element;
            if (in.status() != QDataStream::Ok)
                return;
            container.append(element);
        }
    }

private:
    static bool isBounded(const QDataStream &in);
};
