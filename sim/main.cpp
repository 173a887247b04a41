#include "SimulatedAnalyzer.h"
#include "SimulatorCommandLine.h"
#include "SimulatorConsole.h"
#include "TerminationSignals.h"
#include "data/AppVersion.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTextStream>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvex-sim"));
    QCoreApplication::setApplicationVersion(AppVersion::text());
    QTextStream out(stdout);
    QTextStream err(stderr);

    SimulatorCommandLine commandLine;
    switch (commandLine.parse(QCoreApplication::arguments())) {
    case SimulatorCommandLine::Result::Help:
        out << commandLine.helpText();
        return 0;
    case SimulatorCommandLine::Result::Version:
        out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion()
            << Qt::endl;
        return 0;
    case SimulatorCommandLine::Result::Error:
        err << "quorvex-sim: " << commandLine.errorText() << Qt::endl
            << "Try quorvex-sim --help" << Qt::endl;
        return 2;
    case SimulatorCommandLine::Result::Run:
        break;
    }
    if (commandLine.verbose())
        QLoggingCategory::setFilterRules(QStringLiteral("quorvex.sim.debug=true"));

    SimulatedAnalyzer simulator(commandLine.settings());
    if (!simulator.start()) {
        err << "quorvex-sim: " << simulator.errorString() << Qt::endl;
        return 1;
    }
    // The port to open first, alone on its line; then the pseudo-terminal behind it, again
    // after every plug-in (the plug-in of the start arrives through the event loop).
    out << simulator.portName() << Qt::endl;
    QObject::connect(&simulator, &SimulatedAnalyzer::pluggedIn, &app, [&out](const QString &path) {
        out << "pseudo-terminal: " << path << Qt::endl;
    });
    QObject::connect(&simulator, &SimulatedAnalyzer::hungUp, &app,
                     [&out] { out << "unplugged" << Qt::endl; });

    TerminationSignals signalWatcher;
    QObject::connect(&signalWatcher, &TerminationSignals::received, &app, &QCoreApplication::quit);
    SimulatorConsole console(&simulator);
    QObject::connect(&console, &SimulatorConsole::answered, &app,
                     [&out](const QString &text) { out << text << Qt::endl; });
    QObject::connect(&console, &SimulatorConsole::quitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    console.listen(STDIN_FILENO);

    const int status = QCoreApplication::exec();
    simulator.stop();
    return status;
}
