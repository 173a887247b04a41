#include "SensorLog.h"
#include "SensorOptions.h"
#include "SensorService.h"
#include "data/AppVersion.h"
#include "data/QuorvexMetaTypes.h"
#include "sim/SimulatorConsole.h"
#include "sim/TerminationSignals.h"

#include <QCoreApplication>
#include <QTextStream>
#include <csignal>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tavorin"));
    QCoreApplication::setApplicationName(QStringLiteral("quorvex-sensor"));
    QCoreApplication::setApplicationVersion(AppVersion::text());
    QTextStream out(stdout);
    QTextStream err(stderr);

    SensorOptions options;
    switch (options.parse(QCoreApplication::arguments())) {
    case SensorOptions::Result::Help:
        out << options.helpText();
        return 0;
    case SensorOptions::Result::Version:
        out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion()
            << Qt::endl;
        return 0;
    case SensorOptions::Result::Error:
        err << "quorvex-sensor: " << options.errorText() << Qt::endl
            << "Try quorvex-sensor --help" << Qt::endl;
        return 2;
    case SensorOptions::Result::Run:
        break;
    }
    // A log a journal (or a terminal) can follow: time, level, text.
    qSetMessagePattern(QStringLiteral("%{time yyyy-MM-ddThh:mm:ss.zzz} %{if-debug}debug%{endif}"
                                      "%{if-info}info%{endif}%{if-warning}warning%{endif}"
                                      "%{if-critical}error%{endif}%{if-fatal}fatal%{endif}: "
                                      "%{message}"));
    QLoggingCategory::setFilterRules(
        options.config().verbose ? QStringLiteral("quorvex.*.debug=true")
                                 : QStringLiteral("*.debug=false\nquorvex.sensor.info=true"));
    for (const QString &warning : options.warnings())
        qCWarning(lcSensor).noquote() << warning;
    QuorvexMetaTypes::registerAll();

    SensorService sensor(options.config());
    QString error;
    if (!sensor.start(&error)) {
        err << "quorvex-sensor: " << error << Qt::endl;
        return 1;
    }

    // SIGTERM and SIGINT stop it cleanly; a closed terminal (SIGHUP) does not.
    TerminationSignals signalWatcher;
    QObject::connect(&signalWatcher, &TerminationSignals::received, &app, [](int signalNumber) {
        if (signalNumber == SIGHUP) {
            qCInfo(lcSensor) << "Hang-up ignored; stop with SIGTERM or SIGINT";
            return;
        }
        QCoreApplication::quit();
    });
    std::unique_ptr<SimulatorConsole> console;
    if (sensor.simulator()) {
        console = std::make_unique<SimulatorConsole>(sensor.simulator());
        QObject::connect(console.get(), &SimulatorConsole::answered, &app, [](const QString &text) {
            qCInfo(lcSensor).noquote() << "Simulator:" << text;
        });
        QObject::connect(console.get(), &SimulatorConsole::quitRequested, &app,
                         &QCoreApplication::quit, Qt::QueuedConnection);
        console->listen(STDIN_FILENO);
    }

    QCoreApplication::exec();
    console.reset();
    sensor.stop();
    return 0;
}
