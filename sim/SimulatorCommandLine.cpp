#include "SimulatorCommandLine.h"

#include <limits>

namespace {

const QCommandLineOption k_seed(QStringLiteral("seed"),
                                QStringLiteral("The site: which access points, hops and carriers "
                                               "are on the air. Default 1."),
                                QStringLiteral("n"));
const QCommandLineOption k_sweepTime900(QStringLiteral("sweep-time-900"),
                                        QStringLiteral("Time the radio takes for one 900 MHz "
                                                       "sweep, before sending it. Default 40."),
                                        QStringLiteral("ms"));
const QCommandLineOption k_sweepTime2400(QStringLiteral("sweep-time-2400"),
                                         QStringLiteral("Time the radio takes for one 2.4 GHz "
                                                        "sweep, before sending it. Default 80."),
                                         QStringLiteral("ms"));
const QCommandLineOption k_noThrottle(QStringLiteral("no-throttle"),
                                      QStringLiteral("Send as fast as the pseudo-terminal takes "
                                                     "bytes, instead of at the 115200-baud "
                                                     "link's byte rate."));
const QCommandLineOption k_hostInfo(QStringLiteral("host-info"),
                                    QStringLiteral("Host firmware version string. Default "
                                                   "1.0.0.9.0.69."),
                                    QStringLiteral("text"));
const QCommandLineOption k_radioInfo(QStringLiteral("radio-info"),
                                     QStringLiteral("Radio firmware version string. Default "
                                                    "1.0.0.9.0.0."),
                                     QStringLiteral("text"));
const QCommandLineOption k_fwVersion(QStringLiteral("fw-version"),
                                     QStringLiteral("Firmware version bytes, dot-separated "
                                                    "numbers from -128 to 255. Default "
                                                    "1.0.0.9.0.0."),
                                     QStringLiteral("a.b.c"));
const QCommandLineOption k_deviceVersion(QStringLiteral("device-version"),
                                         QStringLiteral("Device version text."),
                                         QStringLiteral("text"));
const QCommandLineOption k_link(QStringLiteral("link"),
                                QStringLiteral("Path of a symbolic link to the pseudo-terminal; it "
                                               "keeps its name when the device is plugged in "
                                               "again. Default: a link in a private temporary "
                                               "folder."),
                                QStringLiteral("path"));
const QCommandLineOption k_dropAcks(QStringLiteral("drop-acks"),
                                    QStringLiteral("Fault: leave out the first n "
                                                   "acknowledgements."),
                                    QStringLiteral("n"));
const QCommandLineOption k_corruptCrc(QStringLiteral("corrupt-crc-every"),
                                      QStringLiteral("Fault: send every nth frame with a wrong "
                                                     "CRC."),
                                      QStringLiteral("n"));
const QCommandLineOption k_garbageEvery(QStringLiteral("garbage-every"),
                                        QStringLiteral("Fault: send a few stray bytes ahead of "
                                                       "every nth frame."),
                                        QStringLiteral("n"));
const QCommandLineOption k_stallEvery(QStringLiteral("stall-every"),
                                      QStringLiteral("Fault: stop every nth sweep after its first "
                                                     "data frame, for --stall-ms."),
                                      QStringLiteral("n"));
const QCommandLineOption k_stallMs(QStringLiteral("stall-ms"),
                                   QStringLiteral("Length of a stall. Default 3000."),
                                   QStringLiteral("ms"));
const QCommandLineOption k_hangUpAfter(QStringLiteral("hang-up-after"),
                                       QStringLiteral("Fault: unplug the device in the middle of "
                                                      "the nth sweep."),
                                       QStringLiteral("n"));
const QCommandLineOption k_replugAfter(QStringLiteral("replug-after"),
                                       QStringLiteral("Plug the device in again this long after "
                                                      "it was unplugged. Default: never."),
                                       QStringLiteral("ms"));
const QCommandLineOption k_unplugAtHostBl(QStringLiteral("unplug-at-host-bl"),
                                          QStringLiteral("Fault: leave the port without "
                                                         "acknowledging when the host is sent "
                                                         "to its firmware-update mode, as a "
                                                         "host that comes back as a DFU device "
                                                         "does."));
const QCommandLineOption k_carrier(QStringLiteral("carrier"),
                                   QStringLiteral("A carrier of its own, flat over WIDTH MHz "
                                                  "(default 2) at DBM (default -50) around MHZ, "
                                                  "switched by the commands \"carrier on\" and "
                                                  "\"carrier off\"."),
                                   QStringLiteral("MHZ[,WIDTH[,DBM]]"));
const QCommandLineOption k_carrierOff(QStringLiteral("carrier-off"),
                                      QStringLiteral("Start with the --carrier switched off."));
const QCommandLineOption k_verbose(QStringLiteral("verbose"),
                                   QStringLiteral("Print every command received."));

} // namespace

SimulatorCommandLine::SimulatorCommandLine()
{
    m_parser.setApplicationDescription(
        QStringLiteral("Simulated Quorvex analyzer. Answers the analyzer protocol on a "
                       "pseudo-terminal until stopped (Ctrl+C, SIGTERM or \"quit\").\n"
                       "It prints the port to open, then the pseudo-terminal behind it.\n"
                       "Commands on standard input: hangup, plugin, garbage [n], stall <ms>, "
                       "drop-acks <n>, corrupt-crc-every <n>, garbage-every <n>, carrier on, "
                       "carrier off, status, quit.\n"
                       "Counts of 0 switch a fault off."));
    m_parser.addHelpOption();
    m_parser.addVersionOption();
    m_parser.addOptions({k_seed,           k_sweepTime900, k_sweepTime2400, k_noThrottle,
                         k_hostInfo,       k_radioInfo,    k_fwVersion,     k_deviceVersion,
                         k_link,           k_dropAcks,     k_corruptCrc,    k_garbageEvery,
                         k_stallEvery,     k_stallMs,      k_hangUpAfter,   k_replugAfter,
                         k_unplugAtHostBl, k_carrier,      k_carrierOff,    k_verbose});
}

QString SimulatorCommandLine::helpText() const
{
    return m_parser.helpText();
}

bool SimulatorCommandLine::readCount(const QCommandLineOption &option, int &value)
{
    if (!m_parser.isSet(option))
        return true;
    bool ok = false;
    const int parsed = m_parser.value(option).toInt(&ok);
    if (!ok || parsed < 0) {
        m_errorText = QStringLiteral("--%1 needs a number of 0 or more, not \"%2\"")
                          .arg(option.names().constFirst(), m_parser.value(option));
        return false;
    }
    value = parsed;
    return true;
}

SimulatorCommandLine::Result SimulatorCommandLine::parse(const QStringList &arguments)
{
    m_settings = SimulatedAnalyzerSettings();
    m_errorText.clear();
    if (!m_parser.parse(arguments)) {
        m_errorText = m_parser.errorText();
        return Result::Error;
    }
    if (m_parser.isSet(QStringLiteral("help")) || m_parser.isSet(QStringLiteral("help-all")))
        return Result::Help;
    if (m_parser.isSet(QStringLiteral("version")))
        return Result::Version;
    if (!m_parser.positionalArguments().isEmpty()) {
        m_errorText = QStringLiteral("Unexpected argument \"%1\"")
                          .arg(m_parser.positionalArguments().constFirst());
        return Result::Error;
    }

    if (m_parser.isSet(k_seed)) {
        bool ok = false;
        m_settings.seed = m_parser.value(k_seed).toUInt(&ok);
        if (!ok) {
            m_errorText = QStringLiteral("--seed needs a number from 0 to %1, not \"%2\"")
                              .arg(std::numeric_limits<quint32>::max())
                              .arg(m_parser.value(k_seed));
            return Result::Error;
        }
    }
    if (!readCount(k_sweepTime900, m_settings.sweepTime900Ms)
        || !readCount(k_sweepTime2400, m_settings.sweepTime2400Ms)
        || !readCount(k_dropAcks, m_settings.dropAcks)
        || !readCount(k_corruptCrc, m_settings.corruptCrcEvery)
        || !readCount(k_garbageEvery, m_settings.garbageEvery)
        || !readCount(k_stallEvery, m_settings.stallEverySweeps)
        || !readCount(k_stallMs, m_settings.stallMs)
        || !readCount(k_hangUpAfter, m_settings.hangUpAfterSweeps)
        || !readCount(k_replugAfter, m_settings.replugAfterMs))
        return Result::Error;

    m_settings.throttle = !m_parser.isSet(k_noThrottle);
    m_settings.unplugAtHostBootloader = m_parser.isSet(k_unplugAtHostBl);
    if (m_parser.isSet(k_hostInfo))
        m_settings.hostInfo = m_parser.value(k_hostInfo);
    if (m_parser.isSet(k_radioInfo))
        m_settings.radioInfo = m_parser.value(k_radioInfo);
    if (m_parser.isSet(k_deviceVersion))
        m_settings.deviceVersion = m_parser.value(k_deviceVersion);
    if (m_parser.isSet(k_link))
        m_settings.linkPath = m_parser.value(k_link);
    if (m_parser.isSet(k_fwVersion)) {
        QByteArray bytes;
        const QStringList parts = m_parser.value(k_fwVersion).split(QLatin1Char('.'));
        for (const QString &part : parts) {
            bool ok = false;
            const int value = part.toInt(&ok);
            if (!ok || value < -128 || value > 255 || bytes.size() == 255) {
                m_errorText = QStringLiteral("--fw-version needs dot-separated numbers from -128 "
                                             "to 255, not \"%1\"")
                                  .arg(m_parser.value(k_fwVersion));
                return Result::Error;
            }
            bytes.append(char(value));
        }
        m_settings.firmwareVersion = bytes;
    }
    if (m_parser.isSet(k_carrier)) {
        const QStringList parts = m_parser.value(k_carrier).split(QLatin1Char(','));
        double numbers[3] = {0.0, 2.0, -50.0};
        bool ok = parts.size() <= 3;
        for (int i = 0; ok && i < parts.size(); ++i)
            numbers[i] = parts.at(i).toDouble(&ok);
        if (!ok || numbers[0] <= 0.0 || numbers[1] <= 0.0 || numbers[1] > 200.0
            || numbers[2] < -128.0 || numbers[2] > 0.0) {
            m_errorText = QStringLiteral("--carrier needs MHZ[,WIDTH[,DBM]]: a frequency and a "
                                         "width above 0 MHz (at most 200) and a level from -128 "
                                         "to 0 dBm, not \"%1\"")
                              .arg(m_parser.value(k_carrier));
            return Result::Error;
        }
        m_settings.carrierMHz = numbers[0];
        m_settings.carrierWidthMHz = numbers[1];
        m_settings.carrierDbm = numbers[2];
    }
    m_settings.carrierOn = !m_parser.isSet(k_carrierOff);
    m_verbose = m_parser.isSet(k_verbose);
    return Result::Run;
}
