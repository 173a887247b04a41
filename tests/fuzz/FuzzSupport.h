#pragma once

// What every harness needs: an application object for the Qt types that ask for one, Qt's
// messages silenced (the readers warn on every bad input; printing them would slow the fuzzer
// to a crawl), and a check that stops the run with the input saved.

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "fatal: %s\n", qPrintable(text));
        std::abort();
    }
}

inline void init(int *argc, char ***argv)
{
    qInstallMessageHandler(quietMessages);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QCoreApplication app(*argc, *argv);
}

// A broken invariant is a finding: libFuzzer saves the input that led here.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);    \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

} // namespace fuzz
