#pragma once

#include <QString>
#include <QStringList>

class QIODevice;
class QLocalServer;

// The local socket through which a second start hands its command line to the running
// instance: each argument as UTF-8 followed by a line feed, then the client disconnects.
class SingleInstance
{
public:
    // The socket's path: "Quorvex" in the user's runtime directory, so two users never meet.
    static QString serverName();

    // Client side. Connects to a running instance (waiting up to timeoutMs) and sends the
    // arguments, file paths made absolute against this process's working folder (the running
    // instance has its own). Returns true when they were handed over, false when no instance
    // listens.
    static bool handOff(const QStringList &args, int timeoutMs = 1000);
    // The arguments with every relative path of a file that exists under `folder` made
    // absolute; options and the values of the options that take one stay as they are.
    static QStringList withAbsolutePaths(const QStringList &args, const QString &folder);

    // Server side. Listens under serverName(), accepting only the same user. A socket file
    // left behind by a crashed instance, with nobody listening, is removed first.
    static bool listen(QLocalServer &server);

    // Decodes one received line: UTF-8 up to the first NUL byte, line feeds removed.
    static QString decodeLine(const QByteArray &line);
    // Appends every complete line the device holds, decoded, to args; a partial line stays in
    // the device for the next call.
    static void readArgs(QIODevice &device, QStringList &args);
};
