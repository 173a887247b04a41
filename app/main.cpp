#include "AppLog.h"
#include "LaunchOptions.h"
#include "MainWindow.h"
#include "SingleInstance.h"
#include "TavApp.h"
#include "TerminalLog.h"
#include "data/QuorvexMetaTypes.h"
#include "resources/QuorvexResources.h"
#include "widgets/AppStyle.h"

#include <QGuiApplication>
#include <csignal>
#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    // Help and version are answered before the application object exists, so they need no
    // display and never reach a running instance.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const LaunchOptions options = LaunchOptions::parse(arguments);
    if (options.help || options.version) {
        const QString text
            = options.help ? LaunchOptions::helpText() : LaunchOptions::versionText();
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return 0;
    }
    TerminalLog::apply(options.debugConsoles > 0);
    // A file that reaches the size limit set for the process fails its write (the journal
    // then says the scan is not protected) instead of ending the program with the scan.
    std::signal(SIGXFSZ, SIG_IGN);

    // The user manual's web view shares the application's OpenGL contexts, which must be
    // decided before the application object exists. Chromium's sandbox refuses to run as root.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // High-density screens: the window follows the desktop's scale (and QT_SCALE_FACTOR), at
    // fractions such as 1.5 too, with icons and images drawn from their larger variants.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

    TavApp app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tavorin"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("tavorin.example"));
    QCoreApplication::setApplicationName(QStringLiteral("Quorvex"));

    if (SingleInstance::handOff(QCoreApplication::arguments()))
        return 0;

    QuorvexResources::init();
    if (!AppStyle::apply(app))
        qCWarning(lcApp) << "Unable to set stylesheet, file not found";
    app.setWindowIcon(QIcon(QStringLiteral(":/QuorvexAppIcon.png")));

    QuorvexMetaTypes::registerAll();

    MainWindow window;
    window.show();
    return app.exec();
}
