#include "ScanExport.h"

#include <QDateTime>
#include <QSaveFile>

QString ScanExport::tenthsText(qint64 tenths)
{
    const qint64 magnitude = tenths < 0 ? -tenths : tenths;
    return QStringLiteral("%1%2.%3")
        .arg(tenths < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 10)
        .arg(magnitude % 10);
}

qint64 ScanExport::kilohertz(qint64 hertz)
{
    const qint64 magnitude = (hertz < 0 ? -hertz : hertz) + 500;
    return hertz < 0 ? -(magnitude / 1000) : magnitude / 1000;
}

namespace {

// The chosen trace at a step, in tenths of a dB.
qint64 traceTenths(const SpectrumTraces &traces, SpectrumTraces::Kind trace, int step)
{
    switch (trace) {
    case SpectrumTraces::Kind::Average:
        return traces.averageTenths(step);
    case SpectrumTraces::Kind::MaxHold:
        return qint64(traces.maxHold(step)) * 10;
    case SpectrumTraces::Kind::Newest:
        break;
    }
    return qint64(traces.newest(step)) * 10;
}

// A value of the semicolon layout's header: one line, no field separator in it.
QString wsmField(QString text)
{
    for (QChar &c : text) {
        if (c == QLatin1Char(';') || c.category() == QChar::Other_Control
            || c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    return text.trimmed();
}

QString wsmHeader(const SpectrumTraces &traces, const FrequencyAxis &axis, const QString &name)
{
    const int last = traces.steps() - 1;
    QString text;
    const auto line = [&text](const char *field, const QString &value = QString()) {
        text += QLatin1String(field) + QLatin1Char(';') + value + QLatin1Char('\n');
    };
    line("Receiver");
    line("Date/Time",
         QDateTime::fromMSecsSinceEpoch(traces.oldestTimestamp())
             .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    line("RFUnit", QStringLiteral("dBm"));
    for (const char *empty : {"Owner", "ScanCity", "ScanComment", "ScanCountry", "ScanDescription",
                              "ScanInteriorExterior", "ScanLatitude", "ScanLongitude"})
        line(empty);
    line("ScanName", wsmField(name));
    line("ScanPostalCode");
    text += QLatin1Char('\n');
    line("Frequency Range [kHz]",
         QStringLiteral("%1;%2;%3")
             .arg(ScanExport::kilohertz(axis.hertz(0)))
             .arg(ScanExport::kilohertz(axis.hertz(qMax(last, 0))))
             .arg(ScanExport::kilohertz(axis.stepHertz())));
    line("Frequency", QStringLiteral("RF level (%);RF level"));
    return text;
}

} // namespace

QByteArray ScanExport::text(const SpectrumTraces &traces, const FrequencyAxis &axis,
                            const Options &options)
{
    if (traces.isEmpty())
        return QByteArray();
    QString text;
    const int n = traces.steps();
    switch (options.format) {
    case Format::Coordination:
        for (int j = 0; j < n; ++j)
            text += axis.megahertzText(j) + QStringLiteral(", ")
                + tenthsText(traceTenths(traces, options.trace, j)) + QLatin1Char('\n');
        break;
    case Format::Wsm:
        text = wsmHeader(traces, axis, options.scanName);
        for (int j = 0; j < n; ++j)
            text += QString::number(kilohertz(axis.hertz(j))) + QStringLiteral(";;")
                + tenthsText(traceTenths(traces, options.trace, j)) + QLatin1Char('\n');
        break;
    case Format::Summary:
        text += QStringLiteral("frequency_mhz,max_dbm,average_dbm,busy_percent\n");
        for (int j = 0; j < n; ++j) {
            text += axis.megahertzText(j) + QLatin1Char(',')
                + tenthsText(qint64(traces.maxHold(j)) * 10) + QLatin1Char(',')
                + tenthsText(traces.averageTenths(j)) + QLatin1Char(',')
                + tenthsText(SpectrumTraces::roundedQuotient(traces.busySweeps(j) * 1000,
                                                             traces.sweeps()))
                + QLatin1Char('\n');
        }
        break;
    case Format::RtlPower:
        break; // a line per sweep, written as they are read (SweepLines)
    }
    return text.toUtf8();
}

bool ScanExport::save(const QString &path, const QByteArray &text, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    // What the file's buffer still holds is written before the commit: the commit would not
    // notice that writing it failed (a full disk) and would put a file cut short in place.
    if (file.write(text) != text.size() || !file.flush() || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

bool ScanExport::parseFormat(const QString &name, Format *format)
{
    if (name == QLatin1String("coordination"))
        *format = Format::Coordination;
    else if (name == QLatin1String("wsm"))
        *format = Format::Wsm;
    else if (name == QLatin1String("summary"))
        *format = Format::Summary;
    else if (name == QLatin1String("rtl_power"))
        *format = Format::RtlPower;
    else
        return false;
    return true;
}

bool ScanExport::parseTrace(const QString &name, SpectrumTraces::Kind *trace)
{
    if (name == QLatin1String("max"))
        *trace = SpectrumTraces::Kind::MaxHold;
    else if (name == QLatin1String("average"))
        *trace = SpectrumTraces::Kind::Average;
    else if (name == QLatin1String("last"))
        *trace = SpectrumTraces::Kind::Newest;
    else
        return false;
    return true;
}
