#include "SensorOptions.h"

#include "SensorMessages.h"
#include "sim/SimulatorCommandLine.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>

namespace {

const QCommandLineOption k_id(QStringLiteral("id"),
                              QStringLiteral("The sensor's id in topics: letters, digits and '-', "
                                             "at most 32. Default: the host name."),
                              QStringLiteral("ID"));
const QCommandLineOption k_name(QStringLiteral("name"),
                                QStringLiteral("What viewers show, such as \"North stand\". "
                                               "Default: the id."),
                                QStringLiteral("TEXT"));
const QCommandLineOption k_band(QStringLiteral("band"),
                                QStringLiteral("The band to scan: 2400 or 900. Default 2400."),
                                QStringLiteral("MHZ"));
const QCommandLineOption k_dataDir(QStringLiteral("data-dir"),
                                   QStringLiteral("Where the journal and the hourly recordings "
                                                  "go. Default: ~/.local/share/Tavorin/Quorvex/"
                                                  "sensor/ID."),
                                   QStringLiteral("DIR"));
const QCommandLineOption k_keepHours(QStringLiteral("keep-hours"),
                                     QStringLiteral("Recordings older than this are deleted. "
                                                    "Default 72."),
                                     QStringLiteral("N"));
const QCommandLineOption k_broker(QStringLiteral("broker"),
                                  QStringLiteral("The MQTT broker: mqtt://HOST[:PORT] (default "
                                                 "port 1883) or mqtts://HOST[:PORT] (TLS, "
                                                 "default port 8883). Default mqtt://localhost."),
                                  QStringLiteral("URL"));
const QCommandLineOption k_cafile(QStringLiteral("cafile"),
                                  QStringLiteral("TLS: the certificate authorities the broker's "
                                                 "certificate must chain to. Default: the "
                                                 "system's."),
                                  QStringLiteral("FILE"));
const QCommandLineOption k_cert(QStringLiteral("cert"),
                                QStringLiteral("TLS: the sensor's own certificate, for a broker "
                                               "that asks for one (with --key)."),
                                QStringLiteral("FILE"));
const QCommandLineOption k_key(QStringLiteral("key"),
                               QStringLiteral("TLS: the private key of --cert."),
                               QStringLiteral("FILE"));
const QCommandLineOption k_user(QStringLiteral("user"),
                                QStringLiteral("The user name at the broker."),
                                QStringLiteral("NAME"));
const QCommandLineOption k_passwordFile(QStringLiteral("password-file"),
                                        QStringLiteral("A file whose first line is the "
                                                       "password of --user."),
                                        QStringLiteral("FILE"));
const QCommandLineOption k_port(QStringLiteral("port"),
                                QStringLiteral("The analyzer's serial port (such as "
                                               "/dev/ttyACM0). Default: the one port that "
                                               "describes itself as the analyzer."),
                                QStringLiteral("NAME"));
const QCommandLineOption k_simulate(QStringLiteral("simulate"),
                                    QStringLiteral("Scan the built-in simulated analyzer."));
const QCommandLineOption k_sim(QStringLiteral("sim"),
                               QStringLiteral("Options of quorvex-sim for the simulated analyzer "
                                              "(its site, carrier and faults), in one argument, "
                                              "such as \"--carrier 2440,4 --hang-up-after 500 "
                                              "--replug-after 5000\". Implies --simulate."),
                               QStringLiteral("OPTIONS"));
const QCommandLineOption k_verbose(QStringLiteral("verbose"),
                                   QStringLiteral("Log the sensor's debug lines too."));

} // namespace

SensorOptions::SensorOptions()
{
    m_parser.setApplicationDescription(
        QStringLiteral("Runs a Quorvex analyzer as a sensor of a venue: scans one band until "
                       "stopped (SIGTERM or Ctrl+C), keeps every sweep in its data folder "
                       "(a journal, and a recording each hour) and publishes them to an MQTT "
                       "broker, catching up after the broker was away.\n"
                       "With --simulate, the simulated analyzer's console commands (see "
                       "quorvex-sim(1)) are read from the standard input.\n"
                       "The wire format is described in quorvex-sensor(1)."));
    m_parser.addHelpOption();
    m_parser.addVersionOption();
    m_parser.addOptions({k_id, k_name, k_band, k_dataDir, k_keepHours, k_broker, k_cafile, k_cert,
                         k_key, k_user, k_passwordFile, k_port, k_simulate, k_sim, k_verbose});
}

QString SensorOptions::helpText() const
{
    return m_parser.helpText();
}

QString SensorOptions::defaultDataDir(const QString &id)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Tavorin/Quorvex/sensor/") + id;
}

QString SensorOptions::hostId()
{
    return QSysInfo::machineHostName().section(QLatin1Char('.'), 0, 0);
}

bool SensorOptions::fail(const QString &text)
{
    m_errorText = text;
    return false;
}

SensorOptions::Result SensorOptions::parse(const QStringList &arguments)
{
    m_config = SensorConfig();
    m_errorText.clear();
    m_warnings.clear();
    if (!m_parser.parse(arguments)) {
        m_errorText = m_parser.errorText();
        return Result::Error;
    }
    if (m_parser.isSet(QStringLiteral("help")) || m_parser.isSet(QStringLiteral("help-all")))
        return Result::Help;
    if (m_parser.isSet(QStringLiteral("version")))
        return Result::Version;
    if (!m_parser.positionalArguments().isEmpty()) {
        fail(QStringLiteral("unexpected argument \"%1\"")
                 .arg(m_parser.positionalArguments().constFirst()));
        return Result::Error;
    }

    m_config.id = m_parser.isSet(k_id) ? m_parser.value(k_id) : hostId();
    if (!SensorTopics::isValidId(m_config.id)) {
        fail(m_parser.isSet(k_id)
                 ? QStringLiteral("--id needs 1 to 32 letters, digits and '-' (and not \"all\"), "
                                  "not \"%1\"")
                       .arg(m_config.id)
                 : QStringLiteral("the host name \"%1\" is not a sensor id; give one with --id")
                       .arg(m_config.id));
        return Result::Error;
    }
    m_config.name = m_parser.isSet(k_name) ? m_parser.value(k_name).trimmed() : m_config.id;
    if (m_config.name.isEmpty() || m_config.name.size() > 200) {
        fail(QStringLiteral("--name needs 1 to 200 characters"));
        return Result::Error;
    }
    if (m_parser.isSet(k_band)) {
        const QString band = m_parser.value(k_band);
        if (band != QLatin1String("2400") && band != QLatin1String("900")) {
            fail(QStringLiteral("--band needs 2400 or 900, not \"%1\"").arg(band));
            return Result::Error;
        }
        m_config.bandMhz = band.toInt();
    }
    if (m_parser.isSet(k_keepHours)) {
        bool ok = false;
        m_config.keepHours = m_parser.value(k_keepHours).toInt(&ok);
        if (!ok || m_config.keepHours < 1 || m_config.keepHours > 100000) {
            fail(QStringLiteral("--keep-hours needs a number from 1 to 100000, not \"%1\"")
                     .arg(m_parser.value(k_keepHours)));
            return Result::Error;
        }
    }
    m_config.dataDir
        = m_parser.isSet(k_dataDir) ? m_parser.value(k_dataDir) : defaultDataDir(m_config.id);
    m_config.verbose = m_parser.isSet(k_verbose);
    if (!readBroker() || !readAnalyzer())
        return Result::Error;
    return Result::Run;
}

bool SensorOptions::readFile(const QCommandLineOption &option, QString *path)
{
    if (!m_parser.isSet(option))
        return true;
    *path = m_parser.value(option);
    const QFileInfo info(*path);
    if (!info.isFile() || !info.isReadable())
        return fail(QStringLiteral("--%1: %2 is not a file this user may read")
                        .arg(option.names().constFirst(), *path));
    return true;
}

bool SensorOptions::readBroker()
{
    BrokerSettings &broker = m_config.broker;
    QString error;
    const QString url
        = m_parser.isSet(k_broker) ? m_parser.value(k_broker) : QStringLiteral("mqtt://localhost");
    if (!BrokerSettings::parseUrl(url, &broker, &error))
        return fail(QStringLiteral("--broker: %1, not \"%2\"").arg(error, url));
    if (!readFile(k_cafile, &broker.caFile) || !readFile(k_cert, &broker.certFile)
        || !readFile(k_key, &broker.keyFile))
        return false;
    if (!broker.tls
        && (m_parser.isSet(k_cafile) || m_parser.isSet(k_cert) || m_parser.isSet(k_key)))
        return fail(QStringLiteral("--cafile, --cert and --key need a broker at mqtts://"));
    if (m_parser.isSet(k_cert) != m_parser.isSet(k_key))
        return fail(QStringLiteral("--cert and --key go together"));
    broker.user = m_parser.value(k_user);
    if (m_parser.isSet(k_passwordFile)) {
        if (broker.user.isEmpty())
            return fail(QStringLiteral("--password-file needs --user"));
        QString path;
        if (!readFile(k_passwordFile, &path))
            return false;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("--password-file: %1").arg(file.errorString()));
        broker.password = QString::fromUtf8(file.readLine())
                              .remove(QLatin1Char('\n'))
                              .remove(QLatin1Char('\r'));
        if (broker.password.isEmpty())
            return fail(QStringLiteral("--password-file: the first line of %1 is empty").arg(path));
        if (file.permissions() & (QFile::ReadGroup | QFile::ReadOther))
            m_warnings.append(
                QStringLiteral("%1 may be read by other users; chmod 600 it").arg(path));
    }
    return true;
}

bool SensorOptions::readAnalyzer()
{
    m_config.simulate = m_parser.isSet(k_simulate) || m_parser.isSet(k_sim);
    m_config.port = m_parser.value(k_port);
    if (m_config.simulate && m_parser.isSet(k_port))
        return fail(QStringLiteral("--port and --simulate exclude each other"));
    if (!m_parser.isSet(k_sim))
        return true;
    SimulatorCommandLine simulator;
    const QStringList simArguments = QStringList{QStringLiteral("quorvex-sim")}
        + QProcess::splitCommand(m_parser.value(k_sim));
    if (simulator.parse(simArguments) != SimulatorCommandLine::Result::Run)
        return fail(QStringLiteral("--sim: %1")
                        .arg(simulator.errorText().isEmpty()
                                 ? QStringLiteral("only the simulator's options are taken")
                                 : simulator.errorText()));
    m_config.simulator = simulator.settings();
    return true;
}
