#pragma once

#include "ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>
#include <pwd.h>
#include <unistd.h>

// A real mosquitto broker for a test: on a free port of the loopback interface only, with its
// configuration, persistence and log in a folder of its own. Stopped with SIGTERM (it saves
// its sessions) and started again on the same port; killed when the test ends.
class MosquittoBroker
{
public:
    MosquittoBroker()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        m_port = probe.serverPort();
    }
    ~MosquittoBroker() { stop(); }

    quint16 port() const { return m_port; }
    QString folder() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    QString log() const
    {
        QFile file(m_dir.filePath(QStringLiteral("broker.log")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    static QString program(const QString &name)
    {
        return QStandardPaths::findExecutable(
            name,
            {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"), QStringLiteral("/sbin")});
    }

    // `listener` holds the lines after "listener PORT 127.0.0.1" (TLS files, passwords, access
    // list); anonymous clients are let in unless it says otherwise.
    bool start(const QString &listener = QStringLiteral("allow_anonymous true"))
    {
        m_listener = listener;
        return restart();
    }

    bool restart()
    {
        const QString mosquitto = program(QStringLiteral("mosquitto"));
        if (mosquitto.isEmpty()) {
            qWarning("mosquitto is not installed (make deps installs it)");
            return false;
        }
        // As root the broker would become the user "mosquitto", who may not read the test's
        // files: it stays whoever runs the test.
        const passwd *user = getpwuid(geteuid());
        QFile config(m_dir.filePath(QStringLiteral("mosquitto.conf")));
        if (!config.open(QIODevice::WriteOnly))
            return false;
        config.write(QStringLiteral("user %1\n"
                                    "persistence true\n"
                                    "persistence_location %2/\n"
                                    "max_queued_messages 100000\n"
                                    "log_dest file %2/broker.log\n"
                                    "log_type all\n"
                                    "listener %3 127.0.0.1\n%4\n")
                         .arg(QString::fromLocal8Bit(user ? user->pw_name : "root"), m_dir.path())
                         .arg(m_port)
                         .arg(m_listener)
                         .toUtf8());
        config.close();
        m_process.start(mosquitto, {QStringLiteral("-c"), config.fileName()});
        if (!m_process.waitForStarted())
            return false;
        // Ready once it accepts connections.
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 20000 && m_process.state() == QProcess::Running) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, m_port);
            if (socket.waitForConnected(200))
                return true;
            QTest::qWait(50);
        }
        qWarning("mosquitto did not start:\n%s", qPrintable(log()));
        return false;
    }

    // A clean stop: the broker saves its sessions for restart().
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

private:
    QTemporaryDir m_dir;
    ChildProcess m_process;
    quint16 m_port = 0;
    QString m_listener;
};
