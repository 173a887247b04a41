#include "JournalReader.h"

#include "Crc32.h"
#include "HistoryJournal.h"
#include "JournalFormat.h"
#include "JournalReplay.h"
#include "RecordingFile.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <sys/stat.h>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("JournalReader", text);
}

// `dropped` bytes in words, with how many sweeps that was about, from the size that the
// sweeps read took (`soundBytes` in all).
QString droppedWords(const JournalReader::Result &result, qint64 dropped, qint64 soundBytes)
{
    if (result.sweeps > 0 && soundBytes > 0) {
        const qint64 perSweep = std::max<qint64>(1, soundBytes / result.sweeps);
        const qint64 sweeps = (dropped + perSweep / 2) / perSweep;
        return sweeps == 1 ? tr("%1 bytes (about 1 sweep)").arg(dropped)
                           : tr("%1 bytes (about %2 sweeps)").arg(dropped).arg(sweeps);
    }
    return tr("%1 bytes").arg(dropped);
}

} // namespace

namespace {

// What reading one record found.
enum class Outcome { Read, End, Torn, Damaged };

// Reads the record at the device's position and replays it. `why` says what was wrong with a
// damaged one; `bytes` is its length when it was read.
Outcome readRecord(QIODevice &device, qint64 at, qint64 fileBytes, JournalReplay &replay,
                   QString *why, qint64 *bytes)
{
    char lengthBytes[4];
    const qint64 got = device.read(lengthBytes, 4);
    if (got == 0)
        return Outcome::End;
    if (got < 4)
        return Outcome::Torn;
    const quint32 bodyBytes = qFromBigEndian<quint32>(lengthBytes);
    if (bodyBytes == 0 || bodyBytes > JournalFormat::k_maxBodyBytes) {
        *why = tr("a record's length is impossible");
        return Outcome::Damaged;
    }
    // A length that runs past the end is an unfinished record, not a damaged one.
    if (at + JournalFormat::k_frameBytes + bodyBytes > fileBytes)
        return Outcome::Torn;
    const QByteArray body = device.read(bodyBytes);
    char crcBytes[4];
    if (body.size() != int(bodyBytes) || device.read(crcBytes, 4) != 4)
        return Outcome::Torn;
    if (Crc32::of(body) != qFromBigEndian<quint32>(crcBytes)) {
        *why = tr("a record fails its checksum");
        return Outcome::Damaged;
    }
    if (!replay.apply(JournalFormat::Record(quint8(body.at(0))), body.mid(1))) {
        *why = tr("a record's content is not what the program writes");
        return Outcome::Damaged;
    }
    *bytes = JournalFormat::k_frameBytes + bodyBytes;
    return Outcome::Read;
}

// A record the program writes is never longer than this, bar a huge access-point set; the
// search for the next record after damage looks at no longer ones, so that it stays quick.
constexpr quint32 k_resyncMaxBodyBytes = 1u << 20;

bool knownType(quint8 type)
{
    switch (JournalFormat::Record(type)) {
    case JournalFormat::Record::Header:
    case JournalFormat::Record::Sample:
    case JournalFormat::Record::WifiSet:
    case JournalFormat::Record::NewestWifi:
    case JournalFormat::Record::EventAdded:
    case JournalFormat::Record::EventRemoved:
    case JournalFormat::Record::LabelAdded:
    case JournalFormat::Record::LabelRemoved:
    case JournalFormat::Record::Project:
    case JournalFormat::Record::Amends:
        return true;
    }
    return false;
}

// The offset of the next record after `from` whose frame and checksum hold and whose content
// replays, with the device positioned after it and the record applied; -1 when there is none.
qint64 nextSoundRecord(QIODevice &device, qint64 from, qint64 fileBytes, JournalReplay &replay,
                       qint64 *bytes)
{
    constexpr qint64 k_chunk = 1 << 16;
    for (qint64 base = from; base + JournalFormat::k_frameBytes + 1 <= fileBytes; base += k_chunk) {
        if (!device.seek(base))
            return -1;
        const QByteArray window = device.read(k_chunk + 4);
        const int candidates = int(qMin<qint64>(k_chunk, window.size() - 4));
        for (int i = 0; i < candidates; ++i) {
            const quint32 bodyBytes = qFromBigEndian<quint32>(window.constData() + i);
            const qint64 at = base + i;
            if (bodyBytes == 0 || bodyBytes > k_resyncMaxBodyBytes
                || at + JournalFormat::k_frameBytes + bodyBytes > fileBytes
                || !knownType(quint8(window.at(i + 4))))
                continue;
            QString why;
            if (device.seek(at)
                && readRecord(device, at, fileBytes, replay, &why, bytes) == Outcome::Read)
                return at;
        }
    }
    return -1;
}

} // namespace

JournalReader::Result JournalReader::read(QIODevice &device, bool summaryOnly,
                                          const RfSpectrumHistory &start)
{
    Result result;
    result.fileBytes = device.size();
    if (device.read(JournalFormat::k_magic.size()) != JournalFormat::k_magic) {
        result.problem = result.fileBytes == 0 ? tr("it is empty") : tr("it is not a scan journal");
        return result;
    }
    result.history = start;
    result.history.samples.deferSummaries();
    JournalReplay replay(result, summaryOnly);
    qint64 at = JournalFormat::k_magic.size();
    result.validBytes = at;
    bool damaged = false;
    bool torn = false;
    qint64 damagedAt = 0;
    qint64 skipped = 0;
    qint64 soundBytes = at;
    int sweepsBeforeDamage = 0;
    QString why;
    for (;;) {
        qint64 bytes = 0;
        QString reason;
        const Outcome outcome = readRecord(device, at, result.fileBytes, replay, &reason, &bytes);
        if (outcome == Outcome::Read) {
            at += bytes;
            soundBytes += bytes;
            if (!damaged)
                result.validBytes = at;
            continue;
        }
        if (outcome == Outcome::End)
            break;
        if (outcome == Outcome::Torn || !replay.headerSeen()) {
            torn = outcome == Outcome::Torn;
            if (!torn && !damaged) {
                damaged = true;
                damagedAt = at;
                why = reason;
            }
            skipped += result.fileBytes - at;
            break;
        }
        // Damaged: go on at the next sound record, if there is one.
        if (!damaged) {
            damaged = true;
            damagedAt = at;
            why = reason;
            sweepsBeforeDamage = result.sweeps;
        }
        replay.setAfterDamage();
        const qint64 next = nextSoundRecord(device, at + 1, result.fileBytes, replay, &bytes);
        if (next < 0) {
            skipped += result.fileBytes - at;
            break;
        }
        result.readPastDamage = true;
        skipped += next - at;
        at = next + bytes;
        soundBytes += bytes;
    }
    result.history.samples.completeSummaries();
    if (!replay.headerSeen()) {
        result.problem = torn ? tr("it ends before its first record is whole")
                              : tr("its first record is damaged");
        result.history = RfSpectrumHistory();
        return result;
    }
    if (!damaged) {
        if (torn)
            result.damage = tr("its last record was unfinished: %1 dropped")
                                .arg(droppedWords(result, skipped, soundBytes));
        return result;
    }
    if (!result.readPastDamage) {
        result.damage = tr("it is damaged at byte %1 (%2): the %3 from there on were dropped")
                            .arg(damagedAt)
                            .arg(why, droppedWords(result, skipped, soundBytes));
        return result;
    }
    result.damage = tr("it is damaged at byte %1 (%2): %3 were skipped, and the %4 sweeps "
                       "after them were read")
                        .arg(damagedAt)
                        .arg(why, droppedWords(result, skipped, soundBytes))
                        .arg(result.sweeps - sweepsBeforeDamage);
    return result;
}

JournalReader::Result JournalReader::read(const QString &path, bool summaryOnly,
                                          const RfSpectrumHistory &start)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Result result;
        result.problem = tr("it cannot be opened (%1)").arg(file.errorString());
        return result;
    }
    return read(file, summaryOnly, start);
}

JournalReader::Recovered JournalReader::readForRecovery(const QString &path)
{
    Recovered recovered;
    const Result summary = read(path, true);
    if (summary.isReadable() && summary.isAmendment()) {
        QFile file(summary.amendedPath);
        const QString problem = RecordingFile::load(file, recovered.recording);
        if (!problem.isEmpty()) {
            recovered.journal = summary;
            recovered.journal.problem
                = tr("the recording it edits, %1, cannot be read: %2")
                      .arg(QDir::toNativeSeparators(summary.amendedPath), problem);
            return recovered;
        }
        const QFileInfo now(summary.amendedPath);
        recovered.recordingChanged = now.size() != summary.amendedSize
            || now.lastModified().toMSecsSinceEpoch() != summary.amendedModifiedMs;
    }
    recovered.journal = read(path, false, recovered.recording);
    return recovered;
}

QList<JournalReader::Entry> JournalReader::list(const QString &folder)
{
    QList<Entry> entries;
    const QDir dir(folder);
    // Every entry of the name, also those that are not plain files this user can read (a
    // link to nowhere, another user's file): they are listed with the reason, never passed over.
    const QStringList names = dir.entryList({QStringLiteral("*") + JournalFormat::suffix()},
                                            QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
    for (const QString &name : names) {
        Entry entry;
        entry.path = dir.filePath(name);
        // Opening a pipe or a device to read it would wait, or do worse.
        struct stat status;
        if (::stat(QFile::encodeName(entry.path).constData(), &status) == 0
            && !S_ISREG(status.st_mode)) {
            entry.unopened = true;
            entry.summary.problem = tr("it is not a file");
            entries.append(entry);
            continue;
        }
        entry.inUse = HistoryJournal::isInUse(entry.path);
        QFile file(entry.path);
        if (file.open(QIODevice::ReadOnly)) {
            entry.summary = read(file, true);
        } else {
            entry.unopened = true;
            entry.summary.problem = tr("it cannot be opened (%1)").arg(file.errorString());
        }
        entries.append(entry);
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.summary.createdMs > b.summary.createdMs;
    });
    return entries;
}
