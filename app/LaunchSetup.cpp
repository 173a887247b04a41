#include "LaunchSetup.h"

#include "AppLog.h"
#include "DebugConsoles.h"
#include "comms/DeviceComms.h"
#include "sim/SimulatedAnalyzer.h"
#include "widgets/DebugWindow.h"
#include "widgets/UserPrompts.h"
#include "wifi/NativeWifi.h"

#include <QCoreApplication>

LaunchSetup::LaunchSetup(QWidget *window, DeviceComms &comms, Hooks hooks)
    : m_window(window)
    , m_comms(comms)
    , m_hooks(std::move(hooks))
{ }

LaunchSetup::~LaunchSetup()
{
    if (m_simulator)
        NativeWifi::clearSimulatedAir();
}

void LaunchSetup::apply(const LaunchOptions &options)
{
    for (int i = 0; i < options.debugConsoles; ++i)
        openConsole();
    if (options.qc)
        setQcMode();
    m_overrides.rbw = options.rbw.value_or(m_overrides.rbw);
    m_overrides.fstep = options.fstep.value_or(m_overrides.fstep);
    if (options.ampl) {
        m_overrides.ampl = *options.ampl;
        m_hooks.amplOffset(m_overrides.ampl);
    }
    // The simulated analyzer's port is the one to use while it runs.
    if (options.simulate)
        startSimulator();
    if (options.port && !m_simulator)
        m_portOverride = *options.port;
    if (options.venue)
        m_hooks.venue(*options.venue);
}

void LaunchSetup::openConsole()
{
    m_debugMode = true;
    // A console of its own beside the window; a repeated "-debug" opens a further one.
    m_debugWindow = DebugConsoles::open(m_window, m_comms, m_hooks.prompts);
}

void LaunchSetup::setQcMode()
{
    m_qcMode = true;
    m_comms.setNoCommError(true);
    m_hooks.qcMode();
}

void LaunchSetup::startSimulator()
{
    if (m_simulator)
        return;
    // QUORVEX_SIM_RADIO_VERSION makes the simulated radio report (and hold in its flash)
    // another firmware version, so that the update can be tried.
    SimulatedAnalyzerSettings settings;
    const QString radioVersion = qEnvironmentVariable("QUORVEX_SIM_RADIO_VERSION");
    if (!radioVersion.isEmpty())
        settings.radioInfo = radioVersion;
    auto simulator = std::make_unique<SimulatedAnalyzer>(settings);
    if (!simulator->start()) {
        m_hooks.prompts()->critical(
            m_window, QCoreApplication::translate("MainWindow", "Error"),
            QCoreApplication::translate("MainWindow", "Unable to start the simulated analyzer: %1")
                .arg(simulator->errorString()));
        return;
    }
    m_simulator = std::move(simulator);
    m_portOverride = m_simulator->portName();
    // The computer's Wi-Fi then hears the access points of the simulated site.
    NativeWifi::setSimulatedAir(m_simulator->air());
    qCInfo(lcApp).noquote() << "Simulated analyzer on" << m_portOverride;
}

DebugWindow *LaunchSetup::debugWindow() const
{
    return m_debugWindow.data();
}
