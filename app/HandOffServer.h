#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

// The running instance's end of the single-instance hand-off (see SingleInstance): listens
// for second starts and reports each one's command line once its client has disconnected.
// Only the newest connection is read; an older one that ends is released.
class HandOffServer : public QObject
{
    Q_OBJECT

public:
    explicit HandOffServer(QObject *parent = nullptr);

    bool isListening() const;

Q_SIGNALS:
    void argumentsReceived(const QStringList &args);

private:
    void onNewConnection();
    void onReadyRead();
    void onDisconnected();

    QLocalServer *m_server = nullptr;
    QPointer<QLocalSocket> m_socket;
    QStringList m_pendingArgs;
};
