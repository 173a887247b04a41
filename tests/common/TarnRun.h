#pragma once

#include "tools/TarnCommand.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// quorvex-tarn run in the test's process: its exit status and what it wrote to each stream.
struct TarnRun
{
    int status;
    QString out;
    QString err;
};

inline TarnRun tarn(const QStringList &arguments)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int status
        = TarnCommand::run(QStringList{"quorvex-tarn"} + arguments, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return {status, out, err};
}
