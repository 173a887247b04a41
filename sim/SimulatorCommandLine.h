#pragma once

#include "SimulatedAnalyzerSettings.h"

#include <QCommandLineParser>
#include <QStringList>

// The command line of quorvex-sim: every setting of the simulated analyzer as an option.
class SimulatorCommandLine
{
public:
    enum class Result { Run, Help, Version, Error };

    SimulatorCommandLine();

    // `arguments` starts with the program name.
    Result parse(const QStringList &arguments);

    SimulatedAnalyzerSettings settings() const { return m_settings; }
    bool verbose() const { return m_verbose; }
    QString helpText() const;
    QString errorText() const { return m_errorText; }

private:
    bool readCount(const QCommandLineOption &option, int &value);

    QCommandLineParser m_parser;
    SimulatedAnalyzerSettings m_settings;
    bool m_verbose = false;
    QString m_errorText;
};
