#pragma once

#include "pages/SurveyReport.h"

#include <QFutureWatcher>
#include <QObject>

// A site-survey report written on another thread, so that the window stays usable: how far
// it got, and how it ended. The history it writes from is a copy (the page goes on
// receiving sweeps). Destroyed before the end, it waits for the writing to finish.
class ReportJob : public QObject
{
    Q_OBJECT

public:
    ReportJob(SurveyReport::Input input, QString path, QObject *parent = nullptr);
    ~ReportJob() override;

    void start();
    QString path() const { return m_path; }

Q_SIGNALS:
    void progress(int percent);
    // Written, or not (with the reason).
    void finished(bool written, const QString &error);

private:
    const SurveyReport::Input m_input;
    const QString m_path;
    QString m_error; // written by the writing thread, read once it has finished
    QFutureWatcher<bool> m_watcher;
};
