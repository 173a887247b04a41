#pragma once

#include <QByteArray>
#include <QString>

// The scan journal: an append-only file that follows a live history while it is not saved, so
// that a crash, a power cut or a killed process loses at most its last moments. The file is
// the eight bytes of k_magic followed by records, each self-delimiting and checked:
//
//   length (u32, big-endian: bytes of type + payload)  type (u8)  payload  CRC-32 (u32) of
//   type + payload
//
// Payloads are in the framework's data stream (version Qt 5.15, big-endian), as recordings are:
//   Header      created (i64 ms since the epoch), frequency and amplitude intervals, program
//               version (text)
//   Sample      timestamp (i64), access-point set (u32, 0: none), amplitudes (count, bytes)
//   WifiSet     set number (u32), access points (count, each as in a recording)
//   NewestWifi  set number (u32): the newest sample's access points are replaced
//   EventAdded, EventRemoved   a time event;  LabelAdded, LabelRemoved   a label
//   Project     the four project texts
//   Amends      path (text), size (i64) and last change (i64 ms since the epoch) of a recording
// A sample names the access-point set that was current when it was taken, so a set is written
// once however many samples carry it.
//
// A journal that follows a recording opened from a file holds no samples: its header is
// followed by one Amends record naming the file, then the edits (events, labels, project).
// Recovering it applies the edits to the file's history.
class JournalFormat
{
public:
    enum class Record : quint8 {
        Header = 'H',
        Sample = 'S',
        WifiSet = 'W',
        NewestWifi = 'N',
        EventAdded = 'E',
        EventRemoved = 'e',
        LabelAdded = 'L',
        LabelRemoved = 'l',
        Project = 'P',
        Amends = 'A',
    };

    static const QByteArray k_magic;
    // Length and checksum around each record's type and payload.
    static constexpr int k_frameBytes = 8;
    // No record of the program's is near this long (a sweep is at most 64 KiB, an access-point
    // set some KiB); a longer length is damage, not a record.
    static constexpr quint32 k_maxBodyBytes = 16u << 20;

    // Where journals are kept: the folder "unsaved" in the program's data folder
    // (QStandardPaths::AppDataLocation of the organisation "Tavorin" and the program
    // "Quorvex"), the same whichever of the programs asks.
    static QString folder();
    static QString suffix() { return QStringLiteral(".journal"); }

    // Appends one framed record.
    static void appendRecord(QByteArray &out, Record type, const QByteArray &payload);
};
