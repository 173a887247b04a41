#pragma once

#include "data/QuorvexMetaTypes.h"
#include "resources/QuorvexResources.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

// The process of a benchmark or tool that runs the program's window: built before the
// application object, it picks the offscreen platform unless another is asked for and points
// the settings, data and runtime folders into a private folder, so that the run never touches
// the user's settings or unsaved scans nor meets a running instance's local socket. The folder
// lives as long as it.
class BenchEnvironment
{
public:
    BenchEnvironment()
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_home.path()));
    }

    // Once the application object exists: the program's names, resources and meta types.
    static void initApplication()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("Tavorin"));
        QCoreApplication::setApplicationName(QStringLiteral("Quorvex"));
        QuorvexResources::init();
        QuorvexMetaTypes::registerAll();
    }

    QString filePath(const QString &name) const { return m_home.filePath(name); }

private:
    QTemporaryDir m_home;
};
