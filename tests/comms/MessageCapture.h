#pragma once

#include <QMutex>
#include <QStringList>
#include <QtGlobal>

// Collects the debug output (debug, warning and critical lines) written, from any thread, while
// it exists.
class MessageCapture
{
public:
    MessageCapture()
    {
        s_current = this;
        m_previous = qInstallMessageHandler(&MessageCapture::handle);
    }
    ~MessageCapture()
    {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }
    MessageCapture(const MessageCapture &) = delete;
    MessageCapture &operator=(const MessageCapture &) = delete;

    QStringList lines(QtMsgType type) const
    {
        QMutexLocker lock(&m_mutex);
        QStringList result;
        for (const auto &message : m_messages) {
            if (message.first == type)
                result.append(message.second);
        }
        return result;
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext &, const QString &text)
    {
        if (!s_current)
            return;
        QMutexLocker lock(&s_current->m_mutex);
        s_current->m_messages.append({type, text});
    }

    static inline MessageCapture *s_current = nullptr;
    mutable QMutex m_mutex;
    QtMessageHandler m_previous = nullptr;
    QList<QPair<QtMsgType, QString>> m_messages;
};
