#pragma once

// What the program writes to the standard error. By default only warnings and errors: the
// protocol steps and Wi-Fi scans would otherwise fill the terminal with thousands of debug lines
// a minute. "-debug" adds the debug and info lines of the program's own categories (quorvex.*).
// Rules given in QT_LOGGING_RULES (or a logging configuration file) still win, as the framework
// applies them after these. The debug console's log does not pass through here.
class TerminalLog
{
public:
    static void apply(bool debug);
};
