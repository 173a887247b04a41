#include "TarnCommand.h"
#include "data/AppVersion.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvex-tarn"));
    QCoreApplication::setApplicationVersion(AppVersion::text());
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = TarnCommand::run(QCoreApplication::arguments(), out, err);
    out.flush();
    err.flush();
    return status;
}
