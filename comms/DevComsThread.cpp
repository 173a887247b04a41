#include "DevComsThread.h"

DevComsThread::DevComsThread(QObject *parent)
    : QThread(parent)
    , m_workerHost(new QObject)
{
    setObjectName(QStringLiteral("DevComsThread"));
    m_workerHost->setObjectName(QStringLiteral("SequenceHost"));
    m_workerHost->moveToThread(this);
}

DevComsThread::~DevComsThread()
{
    quit();
    wait();
    // The thread has ended; what is left of its objects goes with it.
    delete m_workerHost;
}
