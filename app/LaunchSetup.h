#pragma once

#include "LaunchOptions.h"
#include "ScanOverrides.h"

#include <QPointer>
#include <functional>
#include <memory>

class DebugWindow;
class DeviceComms;
class QWidget;
class SimulatedAnalyzer;
class UserPrompts;

// What a command line sets up around the analyzer's session: the built-in simulated analyzer
// ("-simulate") and the port to use ("-port"), the debug consoles ("-debug"), QC mode ("-qc")
// and the replacements of the analyzer's set-up ("-rbw", "-fstep", "-ampl"). It owns the
// simulated analyzer, which outlives the session that talks to it.
class LaunchSetup
{
public:
    struct Hooks
    {
        std::function<UserPrompts *()> prompts;
        // QC mode is set: the pages and the session follow it.
        std::function<void()> qcMode;
        // "-ampl" changed the offset of the amplitudes shown.
        std::function<void(int)> amplOffset;
        // "-venue": the venue's broker to connect to.
        std::function<void(const QString &url)> venue;
    };

    LaunchSetup(QWidget *window, DeviceComms &comms, Hooks hooks);
    ~LaunchSetup();

    // Applies the options (the files are the caller's).
    void apply(const LaunchOptions &options);
    // A further debug console.
    void openConsole();
    void setQcMode();

    bool debugMode() const { return m_debugMode; }
    bool qcMode() const { return m_qcMode; }
    const ScanOverrides &overrides() const { return m_overrides; }
    SimulatedAnalyzer *simulator() const { return m_simulator.get(); }
    QString portOverride() const { return m_portOverride; }
    // The newest debug console, or none.
    DebugWindow *debugWindow() const;

private:
    void startSimulator();

    QWidget *const m_window;
    DeviceComms &m_comms;
    const Hooks m_hooks;
    std::unique_ptr<SimulatedAnalyzer> m_simulator;
    QString m_portOverride;
    ScanOverrides m_overrides;
    bool m_debugMode = false;
    bool m_qcMode = false;
    QPointer<DebugWindow> m_debugWindow;
};
