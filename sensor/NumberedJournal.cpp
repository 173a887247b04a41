#include "NumberedJournal.h"

#include <QBuffer>
#include <QFile>

JournalReader::Result NumberedJournal::read(const QString &path, bool summaryOnly)
{
    JournalReader::Result result = JournalReader::read(path, summaryOnly);
    if (!result.readPastDamage)
        return result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    QBuffer sound;
    sound.setData(file.read(result.validBytes));
    sound.open(QIODevice::ReadOnly);
    const QString damage = result.damage;
    const qint64 fileBytes = result.fileBytes;
    result = JournalReader::read(sound, summaryOnly);
    // What was left out is said as the reader said it, of the whole file.
    result.damage = damage;
    result.fileBytes = fileBytes;
    return result;
}
