#pragma once

#include <QThread>

// The communication thread: runs the default event loop, which drives every command sequence.
// Sequences are created as children of its worker host, an object that lives on the thread, so
// that the live sequences are exactly the host's children. The destructor ends the loop and
// waits for the thread.
class DevComsThread : public QThread
{
    Q_OBJECT

public:
    explicit DevComsThread(QObject *parent = nullptr);
    ~DevComsThread() override;

    QObject *workerHost() const { return m_workerHost; }

private:
    QObject *m_workerHost;
};
