#include "TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

namespace {
QTemporaryDir *tempRoot()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/quorvex-test-XXXXXX"));
    return &dir;
}
} // namespace

void TestEnvironment::prepare()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString base = root();
    for (const char *name :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString dir = base + QLatin1Char('/') + QString::fromLatin1(name).toLower();
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(name, QFile::encodeName(dir));
    }
    QCoreApplication::setOrganizationName(QStringLiteral("Tavorin"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("tavorin.example"));
    QCoreApplication::setApplicationName(QStringLiteral("Quorvex"));
}

QString TestEnvironment::root()
{
    return tempRoot()->path();
}
