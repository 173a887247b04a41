#include "HandOffServer.h"

#include "SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

HandOffServer::HandOffServer(QObject *parent)
    : QObject(parent)
    , m_server(new QLocalServer(this))
{
    SingleInstance::listen(*m_server);
    connect(m_server, &QLocalServer::newConnection, this, &HandOffServer::onNewConnection);
}

bool HandOffServer::isListening() const
{
    return m_server->isListening();
}

void HandOffServer::onNewConnection()
{
    m_pendingArgs.clear();
    QLocalSocket *socket = m_server->nextPendingConnection();
    m_socket = socket;
    if (!socket)
        return;
    connect(socket, &QLocalSocket::readyRead, this, &HandOffServer::onReadyRead);
    connect(socket, &QLocalSocket::disconnected, this, &HandOffServer::onDisconnected);
    // Bytes (or the whole hand-off) may have arrived before the signals were connected.
    onReadyRead();
    if (socket->state() == QLocalSocket::UnconnectedState)
        onDisconnected();
}

void HandOffServer::onReadyRead()
{
    if (m_socket)
        SingleInstance::readArgs(*m_socket, m_pendingArgs);
}

void HandOffServer::onDisconnected()
{
    QLocalSocket *socket = qobject_cast<QLocalSocket *>(sender());
    if (!socket)
        socket = m_socket;
    if (!socket)
        return;
    if (socket == m_socket) {
        onReadyRead();
        const QStringList args = m_pendingArgs;
        m_pendingArgs.clear();
        m_socket = nullptr;
        emit argumentsReceived(args);
    }
    socket->disconnect(this);
    socket->deleteLater();
}
