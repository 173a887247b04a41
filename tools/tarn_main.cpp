#include "TarnCommand.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvex-tarn"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = TarnCommand::run(QCoreApplication::arguments(), out, err);
    out.flush();
    err.flush();
    return status;
}
