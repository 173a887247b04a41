#include "CaptureActions.h"

#include "AnalysisContext.h"
#include "SpectrumAnalysis.h"
#include "TabPage.h"
#include "data/ScanExport.h"
#include "widgets/UserPrompts.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

CaptureActions::CaptureActions(SpectrumAnalysis *analysis, TabPage *page, QObject *parent)
    : QObject(parent)
    , m_analysis(analysis)
    , m_page(page)
{
    // Short on the tool bar, which has room for little more beside the window's own buttons.
    m_maxAction = new QAction(tr("Capture Max"), this);
    m_maxAction->setIconText(tr("Cap. Max"));
    m_maxAction->setToolTip(tr("Capture Max: write the coordination scan of the Max Hold in "
                               "view to the capture folder, without asking"));
    m_averageAction = new QAction(tr("Capture Average"), this);
    m_averageAction->setIconText(tr("Cap. Avg."));
    m_averageAction->setToolTip(tr("Capture Average: write the coordination scan of the Average "
                                   "in view to the capture folder, without asking"));
    m_folderAction = new QAction(tr("Capture Folder..."), this);
    m_folderAction->setToolTip(tr("Choose where Capture Max and Capture Average write"));
    connect(m_maxAction, &QAction::triggered, this,
            [this] { capture(SpectrumTraces::Kind::MaxHold); });
    connect(m_averageAction, &QAction::triggered, this,
            [this] { capture(SpectrumTraces::Kind::Average); });
    connect(m_folderAction, &QAction::triggered, this, &CaptureActions::chooseFolder);
}

QAction *CaptureActions::captureAction(SpectrumTraces::Kind trace) const
{
    return trace == SpectrumTraces::Kind::Average ? m_averageAction : m_maxAction;
}

bool CaptureActions::chooseFolder()
{
    AnalysisContext *context = m_analysis->context();
    if (!context || !context->prompts())
        return false;
    QString start = context->captureFolder();
    if (start.isEmpty())
        start = QFileInfo(
                    context->exportPath(m_page, QStringLiteral("capture"), QStringLiteral(".txt")))
                    .absolutePath();
    const QUrl url = context->prompts()->folderUrl(context->window(), tr("Capture Folder"), start);
    if (url.isEmpty() || !url.isLocalFile())
        return false;
    const QString folder = url.toLocalFile();
    context->setCaptureFolder(folder);
    context->showStatus(tr("Captures go to %1").arg(QDir::toNativeSeparators(folder)));
    return true;
}

QString CaptureActions::capture(SpectrumTraces::Kind trace)
{
    AnalysisContext *context = m_analysis->context();
    if (!context)
        return QString();
    const bool average = trace == SpectrumTraces::Kind::Average;
    const SpectrumTraces traces = m_analysis->traces();
    if (traces.isEmpty() || traces.newestIndex() < 0) {
        context->showStatus(tr("There are no sweeps in view to capture."));
        return QString();
    }
    if (context->captureFolder().isEmpty() && !chooseFolder())
        return QString();
    const QString time
        = QDateTime::fromMSecsSinceEpoch(m_page->history().samples.timestamp(traces.newestIndex()))
              .toString(QStringLiteral("yyyy-MM-ddTHHmmss"));
    const QString base = context->captureFolder() + QLatin1Char('/')
        + m_page->bandName().remove(QLatin1Char(' ')) + QLatin1Char('_') + time
        + (average ? QStringLiteral("_average") : QStringLiteral("_max"));
    // An earlier capture of the same window keeps its file.
    QString path = base + QStringLiteral(".txt");
    for (int n = 2; QFile::exists(path); ++n)
        path = QStringLiteral("%1-%2.txt").arg(base).arg(n);
    const SpectrumTraces::Kind kind = average ? trace : SpectrumTraces::Kind::MaxHold;
    QString error;
    if (!ScanExport::save(path,
                          ScanExport::text(traces, m_analysis->axis(),
                                           {ScanExport::Format::Coordination, kind, QString()}),
                          &error)) {
        // The folder may be gone (a card taken out): the next capture asks for one again.
        context->setCaptureFolder(QString());
        if (context->prompts())
            context->prompts()->critical(
                context->window(), tr("Capture"),
                tr("The scan was not captured. Unable to write %1: %2\n\nThe next capture asks "
                   "for a folder.")
                    .arg(QDir::toNativeSeparators(path), error));
        return QString();
    }
    context->showStatus(
        average ? tr("Captured the Average in view to %1").arg(QDir::toNativeSeparators(path))
                : tr("Captured the Max Hold in view to %1").arg(QDir::toNativeSeparators(path)));
    return path;
}
