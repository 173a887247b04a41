#include "SingleInstance.h"

#include "AppLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

QString SingleInstance::serverName()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QLatin1Char('/') + QCoreApplication::applicationName();
}

bool SingleInstance::handOff(const QStringList &args, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName(), QIODevice::WriteOnly);
    if (!socket.waitForConnected(timeoutMs) || !socket.isOpen()) {
        socket.abort();
        return false;
    }
    for (const QString &arg : withAbsolutePaths(args, QDir::currentPath())) {
        socket.write((arg + QLatin1Char('\n')).toUtf8());
        socket.waitForBytesWritten(timeoutMs);
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}

QStringList SingleInstance::withAbsolutePaths(const QStringList &args, const QString &folder)
{
    static const QStringList valueOptions{QStringLiteral("-rbw"), QStringLiteral("-ampl"),
                                          QStringLiteral("-fstep"), QStringLiteral("-port")};
    QStringList result;
    const QDir base(folder);
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        result.append(arg);
        // The first entry is the program; an option's value is not a file to open.
        if (i == 0 || arg.startsWith(QLatin1Char('-')) || QDir::isAbsolutePath(arg)
            || valueOptions.contains(args.at(i - 1)))
            continue;
        const QString path = base.absoluteFilePath(arg);
        if (QFileInfo::exists(path))
            result.last() = QDir::cleanPath(path);
    }
    return result;
}

bool SingleInstance::listen(QLocalServer &server)
{
    const QString name = serverName();
    if (QFileInfo::exists(name)) {
        // If an instance answers, it is alive and keeps the name; otherwise the file is a
        // leftover of a crashed instance and is removed, or no hand-off would ever arrive.
        QLocalSocket probe;
        probe.connectToServer(name, QIODevice::WriteOnly);
        if (probe.waitForConnected(200)) {
            probe.abort();
            qCWarning(lcApp) << "Another instance listens on" << name;
            return false;
        }
        QLocalServer::removeServer(name);
    }
    server.setSocketOptions(QLocalServer::UserAccessOption);
    if (server.listen(name))
        return true;
    qCWarning(lcApp) << "Cannot listen for a second instance:" << server.errorString();
    return false;
}

QString SingleInstance::decodeLine(const QByteArray &line)
{
    const int nul = line.indexOf('\0');
    QString text = QString::fromUtf8(nul < 0 ? line : line.left(nul));
    text.remove(QLatin1Char('\n'));
    return text;
}

void SingleInstance::readArgs(QIODevice &device, QStringList &args)
{
    while (device.canReadLine())
        args.append(decodeLine(device.readLine()));
}
