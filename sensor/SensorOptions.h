#pragma once

#include "BrokerSettings.h"
#include "sim/SimulatedAnalyzerSettings.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

// What a sensor is told to do.
struct SensorConfig
{
    QString id;
    QString name;
    int bandMhz = 2400;
    QString dataDir;
    int keepHours = 72;
    BrokerSettings broker;
    // The analyzer: a port, the built-in simulated analyzer, or (neither) found as the window
    // finds it.
    QString port;
    bool simulate = false;
    SimulatedAnalyzerSettings simulator;
    bool verbose = false;
};

// The command line of quorvex-sensor.
class SensorOptions
{
public:
    enum class Result { Run, Help, Version, Error };

    SensorOptions();

    // `arguments` starts with the program name. Files named (password, certificates) are read
    // or checked here, so that a mistake stops the start with a clear error.
    Result parse(const QStringList &arguments);

    SensorConfig config() const { return m_config; }
    QString helpText() const;
    QString errorText() const { return m_errorText; }
    // Warnings about what was given that work but should not be so (a password file others
    // may read).
    QStringList warnings() const { return m_warnings; }

    // The data folder of a sensor when none is given.
    static QString defaultDataDir(const QString &id);
    // The host name up to its first dot.
    static QString hostId();

private:
    bool fail(const QString &text);
    bool readBroker();
    bool readAnalyzer();
    bool readFile(const QCommandLineOption &option, QString *path);

    QCommandLineParser m_parser;
    SensorConfig m_config;
    QString m_errorText;
    QStringList m_warnings;
};
