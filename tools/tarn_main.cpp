#include "TarnCommand.h"
#include "data/AppVersion.h"
#include "pages/SurveyReport.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char *argv[])
{
    // A report draws text and pictures, which needs the framework's graphics (on no screen);
    // every other command runs without them.
    const bool report = argc > 1 && std::strcmp(argv[1], "report") == 0;
    std::unique_ptr<QCoreApplication> app;
    if (report) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("quorvex-tarn"));
    QCoreApplication::setApplicationVersion(AppVersion::text());
    TarnCommand::setReportWriter([](const RfSpectrumHistory &history,
                                    const SurveyFigures::Options &options, const QString &path,
                                    QString *error) {
        return SurveyReport::write({history, options, AppVersion::text()}, path, error);
    });
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = TarnCommand::run(QCoreApplication::arguments(), out, err);
    out.flush();
    err.flush();
    return status;
}
