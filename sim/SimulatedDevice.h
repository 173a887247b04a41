#pragma once

#include "SimulatedAnalyzerSettings.h"

#include <QObject>

class SimulatedAnalyzerProtocol;
class SimulatedBootloader;
class SimulatedDeviceMode;
class SimulatedPty;

// The simulated analyzer as a whole, on its serial line: routes what the line receives to the
// active mode and puts what the mode sends on the line. It starts in analyzer mode; once the
// radio has acknowledged a reset into its ROM bootloader it hands the line to the bootloader
// mode, if one is installed (without one the radio stays silent until the device is unplugged).
// Unplugging resets every mode, as a power cycle does; plugging in opens a new line, reached
// through the same link path.
class SimulatedDevice : public QObject
{
    Q_OBJECT

public:
    enum class Mode { Analyzer, Bootloader };
    Q_ENUM(Mode)

    explicit SimulatedDevice(const SimulatedAnalyzerSettings &settings, QObject *parent = nullptr);
    ~SimulatedDevice() override;

    SimulatedAnalyzerProtocol *analyzer() const { return m_analyzer; }
    SimulatedPty *line() const { return m_pty; }
    // The radio's ROM bootloader installed by default, or none.
    SimulatedBootloader *bootloader() const;
    // Installs the radio's ROM-bootloader personality (the device takes it over).
    void setBootloaderMode(SimulatedDeviceMode *bootloader);
    Mode mode() const { return m_mode; }
    void setMode(Mode mode);

    bool isPluggedIn() const;
    QString slavePath() const;
    QString errorString() const;

    bool plugIn();
    void hangUp();

Q_SIGNALS:
    void pluggedIn(QString slavePath);
    void hungUp();
    void modeChanged(SimulatedDevice::Mode mode);

private:
    SimulatedDeviceMode *activeMode() const;

    SimulatedAnalyzerSettings m_settings;
    SimulatedPty *m_pty;
    SimulatedAnalyzerProtocol *m_analyzer;
    SimulatedDeviceMode *m_bootloader = nullptr;
    Mode m_mode = Mode::Analyzer;
};
