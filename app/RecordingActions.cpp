#include "RecordingActions.h"

#include "FileLocations.h"
#include "ReportJob.h"
#include "SnapshotFile.h"
#include "data/AppVersion.h"
#include "data/RecordingFile.h"
#include "pages/PeakPanel.h"
#include "pages/SpectrumAnalysis.h"
#include "pages/TabPage900.h"
#include "widgets/RangeSlider.h"
#include "widgets/UserPrompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QUrl>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("RecordingActions", text);
}
} // namespace

RecordingActions::RecordingActions(QWidget *window, ProjectName projectName)
    : m_window(window)
    , m_projectName(std::move(projectName))
{ }

QString RecordingActions::bandOf(const TabPage *page)
{
    return qobject_cast<const TabPage900 *>(page) ? QStringLiteral("900MHz")
                                                  : QStringLiteral("2400MHz");
}

QString RecordingActions::defaultName(const TabPage *page) const
{
    if (!m_projectName().isEmpty() && page)
        return page->history().projectInfo.projectName;
    return QCoreApplication::applicationName();
}

bool RecordingActions::save(TabPage *page)
{
    if (!page || !m_prompts)
        return false;
    const quint64 revision = page->journalKeeper()->revision();
    const RfSpectrumHistory history = page->hist();
    const QUrl url = m_prompts->saveFileUrl(
        m_window, tr("Save Recording"),
        FileLocations::defaultPath(FileLocations::Kind::Recording, defaultName(page), bandOf(page)),
        tr("Tarn Data File:") + QStringLiteral(" *.tarn"));
    if (url.isEmpty() || !url.isLocalFile())
        return false;
    const QString path = FileLocations::withSuffix(url.toLocalFile(), QStringLiteral(".tarn"));
    QString error;
    if (!RecordingFile::save(path, history, &error)) {
        m_prompts->critical(m_window, tr("Error"),
                            tr("The recording was not saved. Unable to write %1: %2")
                                .arg(QDir::toNativeSeparators(path), error));
        return false;
    }
    FileLocations::remember(FileLocations::Kind::Recording, path);
    page->markSaved(revision, path, &history);
    return true;
}

void RecordingActions::snapshot(TabPage *page)
{
    if (!page || !m_prompts)
        return;
    const QPixmap snapshot = page->takeSnapshot();
    const QUrl url = m_prompts->saveFileUrl(
        m_window, tr("Save Snapshot"),
        FileLocations::defaultPath(FileLocations::Kind::Snapshot, defaultName(page), bandOf(page)),
        tr("Image Files:") + QStringLiteral(" *.png"));
    if (url.isEmpty() || !url.isLocalFile())
        return;
    const QString path = FileLocations::withSuffix(url.toLocalFile(), QStringLiteral(".png"));
    QString error;
    if (!SnapshotFile::save(snapshot, path, &error)) {
        // The folder that refused the file is not offered again.
        m_prompts->critical(m_window, tr("Error"),
                            tr("The snapshot was not saved. Unable to write %1: %2")
                                .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    FileLocations::remember(FileLocations::Kind::Snapshot, path);
}

bool RecordingActions::isReporting() const
{
    return !m_report.isNull();
}

void RecordingActions::report(TabPage *page, const std::function<void(const QString &)> &status)
{
    if (!page || !m_prompts)
        return;
    if (m_report) {
        m_prompts->information(m_window, tr("Report"), tr("A report is being written already."));
        return;
    }
    const QUrl url = m_prompts->saveFileUrl(
        m_window, tr("Save Report"),
        FileLocations::defaultPath(FileLocations::Kind::Report, defaultName(page), bandOf(page)),
        tr("PDF Files:") + QStringLiteral(" *.pdf"));
    if (url.isEmpty() || !url.isLocalFile())
        return;
    const QString path = FileLocations::withSuffix(url.toLocalFile(), QStringLiteral(".pdf"));
    // The stretch the page shows.
    SurveyReport::Input input{page->hist(), {}, AppVersion::text()};
    input.options.minProminenceDb = page->analysis()->peakPanel()->minProminence();
    const auto [first, last] = page->visibleRange();
    if (last > first) {
        input.options.fromMs = input.history.samples.timestamp(first);
        input.options.toMs = input.history.samples.timestamp(last - 1);
    }
    auto *job = new ReportJob(std::move(input), path, m_window);
    m_report = job;
    QObject::connect(job, &ReportJob::progress, job, [status](int percent) {
        status(tr("Writing the report: %1 %").arg(percent));
    });
    QObject::connect(job, &ReportJob::finished, job,
                     [this, job, status](bool written, const QString &error) {
                         status(QString());
                         job->deleteLater();
                         if (!m_prompts)
                             return;
                         const QString name = QDir::toNativeSeparators(job->path());
                         if (!written) {
                             m_prompts->critical(m_window, tr("Error"),
                                                 tr("The report was not saved. Unable to write "
                                                    "%1: %2")
                                                     .arg(name, error));
                             return;
                         }
                         FileLocations::remember(FileLocations::Kind::Report, job->path());
                         m_prompts->information(m_window, tr("Report"),
                                                tr("The report was saved to %1.").arg(name));
                     });
    status(tr("Writing the report"));
    job->start();
}

QString RecordingActions::askOpen()
{
    if (!m_prompts)
        return QString();
    const QUrl url = m_prompts->openFileUrl(m_window, tr("Open Recording"),
                                            FileLocations::folder(FileLocations::Kind::Recording),
                                            tr("Tarn Data File:") + QStringLiteral(" *.tarn"));
    // A cancelled dialog opens nothing and says nothing.
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

bool RecordingActions::open(
    QFile &file, const std::function<void(const RfSpectrumHistory &, const QString &)> &show)
{
    RfSpectrumHistory history;
    RecordingFile::Band band = RecordingFile::Band::Rejected;
    RecordingFile::Integrity integrity = RecordingFile::Integrity::Whole;
    const QString name = QDir::toNativeSeparators(file.fileName());
    // A long recording can be cancelled while it is read: then nothing opens.
    std::unique_ptr<UserPrompts::Progress> progress
        = m_prompts->progress(m_window, tr("Opening %1").arg(name));
    const QString problem
        = RecordingFile::load(file, history, &band, &integrity, [&](qint64 done, qint64 total) {
              return progress->update(done, total);
          });
    progress.reset();
    if (problem == RecordingFile::cancelledMessage())
        return false;
    if (!problem.isEmpty()) {
        m_prompts->critical(m_window, tr("Error"), tr("Unable to open %1: %2.").arg(name, problem));
        return false;
    }
    show(history, QFileInfo(file.fileName()).baseName());
    if (integrity == RecordingFile::Integrity::CutShort)
        m_prompts->warning(m_window, tr("Recording cut short"),
                           tr("%1 ends early: it is shown with the %2 sweeps it holds.")
                               .arg(name)
                               .arg(history.samples.size()));
    return true;
}
