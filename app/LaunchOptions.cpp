#include "LaunchOptions.h"

#include <QFileInfo>

LaunchOptions LaunchOptions::parse(const QStringList &args)
{
    LaunchOptions options;
    for (int i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (!arg.startsWith(QLatin1Char('-'))) {
            if (QFileInfo::exists(arg))
                options.files.append(arg);
            continue;
        }
        if (arg == QLatin1String("-debug")) {
            ++options.debugConsoles;
            continue;
        }
        if (arg == QLatin1String("-qc")) {
            options.qc = true;
            continue;
        }
        if (arg == QLatin1String("-simulate")) {
            options.simulate = true;
            continue;
        }
        const bool takesValue = arg == QLatin1String("-rbw") || arg == QLatin1String("-ampl")
            || arg == QLatin1String("-fstep") || arg == QLatin1String("-port");
        // A missing value (the option last) counts as not given.
        if (!takesValue || i + 1 >= args.size())
            continue;
        const QString value = args.at(++i);
        bool ok = false;
        if (arg == QLatin1String("-port")) {
            options.port = value;
        } else if (arg == QLatin1String("-fstep")) {
            const double fstep = value.toDouble(&ok);
            if (ok)
                options.fstep = fstep;
        } else {
            const int number = value.toInt(&ok, 10);
            if (ok)
                (arg == QLatin1String("-rbw") ? options.rbw : options.ampl) = number;
        }
    }
    return options;
}
