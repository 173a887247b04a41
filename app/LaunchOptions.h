#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The program's command line: recording files to open and the options "-debug", "-qc",
// "-rbw N", "-ampl N", "-fstep KHZ", "-port NAME", "-simulate" and "-venue URL"; "--help" (or "-h")
// and
// "--version" are answered by main() before anything else starts. Unknown options are ignored,
// as is an option whose value is missing or is not a number; of an option given twice the last
// value counts.
struct LaunchOptions
{
    int debugConsoles = 0; // one debug console for each "-debug"
    bool qc = false;
    bool simulate = false;
    bool help = false;
    bool version = false;
    std::optional<int> rbw;
    std::optional<int> ampl;
    std::optional<double> fstep;
    std::optional<QString> port;
    // The venue's broker, "mqtt[s]://HOST[:PORT]".
    std::optional<QString> venue;
    // The arguments that name existing files, in their order.
    QStringList files;

    // Reads a command line whose first entry is the program.
    static LaunchOptions parse(const QStringList &args);
    // What "--help" prints: the usage and every option.
    static QString helpText();
    // What "--version" prints: "quorvex" and the version.
    static QString versionText();
};
