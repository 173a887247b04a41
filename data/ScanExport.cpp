#include "ScanExport.h"

#include <QSaveFile>

QString ScanExport::tenthsText(qint64 tenths)
{
    const qint64 magnitude = tenths < 0 ? -tenths : tenths;
    return QStringLiteral("%1%2.%3")
        .arg(tenths < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 10)
        .arg(magnitude % 10);
}

QByteArray ScanExport::text(const SpectrumTraces &traces, const FrequencyAxis &axis,
                            const Options &options)
{
    if (traces.isEmpty())
        return QByteArray();
    QString text;
    const int n = traces.steps();
    if (options.format == Format::Coordination) {
        for (int j = 0; j < n; ++j) {
            const qint64 tenths = options.trace == SpectrumTraces::Kind::Average
                ? traces.averageTenths(j)
                : qint64(options.trace == SpectrumTraces::Kind::MaxHold ? traces.maxHold(j)
                                                                        : traces.newest(j))
                    * 10;
            text += axis.megahertzText(j) + QStringLiteral(", ") + tenthsText(tenths)
                + QLatin1Char('\n');
        }
    } else {
        text += QStringLiteral("frequency_mhz,max_dbm,average_dbm,busy_percent\n");
        for (int j = 0; j < n; ++j) {
            text += axis.megahertzText(j) + QLatin1Char(',')
                + tenthsText(qint64(traces.maxHold(j)) * 10) + QLatin1Char(',')
                + tenthsText(traces.averageTenths(j)) + QLatin1Char(',')
                + tenthsText(SpectrumTraces::roundedQuotient(traces.busySweeps(j) * 1000,
                                                             traces.sweeps()))
                + QLatin1Char('\n');
        }
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
    if (file.write(text) != text.size() || !file.commit()) {
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
    else if (name == QLatin1String("summary"))
        *format = Format::Summary;
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
