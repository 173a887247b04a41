#include "ReportJob.h"

#include <QtConcurrent>

ReportJob::ReportJob(SurveyReport::Input input, QString path, QObject *parent)
    : QObject(parent)
    , m_input(std::move(input))
    , m_path(std::move(path))
{
    connect(&m_watcher, &QFutureWatcher<bool>::finished, this,
            [this] { emit finished(m_watcher.result(), m_error); });
}

ReportJob::~ReportJob()
{
    m_watcher.disconnect(this);
    m_watcher.waitForFinished();
}

void ReportJob::start()
{
    m_watcher.setFuture(QtConcurrent::run([this] {
        return SurveyReport::write(m_input, m_path, &m_error, [this](int percent) {
            // Heard on this object's thread, queued.
            QMetaObject::invokeMethod(
                this, [this, percent] { emit progress(percent); }, Qt::QueuedConnection);
            return true;
        });
    }));
}
