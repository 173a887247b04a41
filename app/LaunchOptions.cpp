#include "LaunchOptions.h"

#include "data/AppVersion.h"

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
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            options.help = true;
            continue;
        }
        if (arg == QLatin1String("--version")) {
            options.version = true;
            continue;
        }
        const bool takesValue = arg == QLatin1String("-rbw") || arg == QLatin1String("-ampl")
            || arg == QLatin1String("-fstep") || arg == QLatin1String("-port")
            || arg == QLatin1String("-venue");
        // A missing value (the option last) counts as not given.
        if (!takesValue || i + 1 >= args.size())
            continue;
        const QString value = args.at(++i);
        bool ok = false;
        if (arg == QLatin1String("-port")) {
            options.port = value;
        } else if (arg == QLatin1String("-venue")) {
            options.venue = value;
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

QString LaunchOptions::helpText()
{
    return QStringLiteral(
        "Usage: quorvex [options] [RECORDING.tarn ...]\n"
        "Desktop application of the Quorvex USB RF spectrum analyzer. Finds the analyzer,\n"
        "connects and shows its sweeps live; each recording named opens in a tab of its own\n"
        "(and the analyzer is then not connected at start). A second start hands its command\n"
        "line to the window already running.\n"
        "\n"
        "Options:\n"
        "  -simulate     Start the built-in simulated analyzer and connect to it.\n"
        "  -port NAME    Connect to the serial port NAME (such as /dev/ttyACM0) without\n"
        "                searching for the analyzer.\n"
        "  -venue URL    Connect to the broker of the venue's sensors at\n"
        "                mqtt://HOST[:PORT] or mqtts://HOST[:PORT]: a page for each sensor.\n"
        "  -debug        Open the debug console (every analyzer command and the\n"
        "                protocol traffic) and write the program's debug messages to the\n"
        "                standard error, which otherwise gets only warnings and errors.\n"
        "  -qc           Quality-control mode: a pass line at -40 dBm on the spectrograms,\n"
        "                no question to save at Stop, no communication error messages.\n"
        "  -rbw N        Resolution bandwidth of the scans in kHz (32 or more).\n"
        "  -ampl N       Add N dB to every 2.4 GHz sample.\n"
        "  -fstep KHZ    Frequency step of the scans in kHz (more than 0).\n"
        "  -h, --help    Print this help and exit.\n"
        "  --version     Print the version and exit.\n");
}

QString LaunchOptions::versionText()
{
    return QStringLiteral("quorvex ") + AppVersion::text() + QLatin1Char('\n');
}
