#include "AnalysisActions.h"

#include "AnalysisContext.h"
#include "CaptureActions.h"
#include "SpectrumAnalysis.h"
#include "TabPage.h"
#include "data/RecordingFile.h"
#include "data/SweepLines.h"
#include "widgets/ToolBarFocus.h"
#include "widgets/UserPrompts.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <algorithm>

AnalysisActions::AnalysisActions(SpectrumAnalysis *analysis, TabPage *page)
    : QObject(analysis)
    , m_analysis(analysis)
    , m_page(page)
{
    m_toolBar = new QToolBar(m_page);
    m_toolBar->hide();
    ToolBarFocus::enable(m_toolBar);
    m_peakAction = new QAction(tr("Peak"), this);
    m_peakAction->setToolTip(tr("Put the peak marker on the strongest peak of the Max Hold in "
                                "view (the markers you placed stay where they are)"));
    connect(m_peakAction, &QAction::triggered, analysis, &SpectrumAnalysis::peak);
    m_nextPeakAction = new QAction(tr("Next Peak"), this);
    m_nextPeakAction->setToolTip(
        tr("Move the peak marker to the next lower peak after the selected marker"));
    connect(m_nextPeakAction, &QAction::triggered, analysis, &SpectrumAnalysis::nextPeak);
    m_peakTableAction = new QAction(tr("Peaks"), this);
    m_peakTableAction->setCheckable(true);
    m_peakTableAction->setToolTip(tr("Show the ten strongest peaks in view that stand out"));

    auto *referenceMenu = new QMenu(m_page);
    m_setReferenceMaxAction = referenceMenu->addAction(tr("Set Reference from Max Hold"));
    m_setReferenceAverageAction = referenceMenu->addAction(tr("Set Reference from Average"));
    m_compareWithAction = referenceMenu->addAction(tr("Compare With..."));
    referenceMenu->addSeparator();
    m_clearReferenceAction = referenceMenu->addAction(tr("Clear Reference"));
    connect(m_setReferenceMaxAction, &QAction::triggered, analysis,
            [analysis] { analysis->setReference(SpectrumTraces::Kind::MaxHold); });
    connect(m_setReferenceAverageAction, &QAction::triggered, analysis,
            [analysis] { analysis->setReference(SpectrumTraces::Kind::Average); });
    connect(m_compareWithAction, &QAction::triggered, this, &AnalysisActions::compareWith);
    connect(m_clearReferenceAction, &QAction::triggered, analysis,
            &SpectrumAnalysis::clearReference);
    m_referenceAction = new QAction(tr("Reference"), this);
    m_referenceAction->setToolTip(
        tr("Freeze a trace of the window in view, or take another recording's, to compare with"));
    m_referenceAction->setMenu(referenceMenu);

    auto *exportMenu = new QMenu(m_page);
    m_exportMaxAction = exportMenu->addAction(tr("Coordination Scan of the Max Hold..."));
    m_exportAverageAction = exportMenu->addAction(tr("Coordination Scan of the Average..."));
    m_exportNewestAction = exportMenu->addAction(tr("Coordination Scan of the Newest Sweep..."));
    QMenu *wsmMenu = exportMenu->addMenu(tr("Semicolon Scan (WSM)"));
    m_exportWsmMaxAction = wsmMenu->addAction(tr("Of the Max Hold..."));
    m_exportWsmAverageAction = wsmMenu->addAction(tr("Of the Average..."));
    m_exportWsmNewestAction = wsmMenu->addAction(tr("Of the Newest Sweep..."));
    m_exportSummaryAction = exportMenu->addAction(tr("Summary (CSV)..."));
    m_exportSweepsAction = exportMenu->addAction(tr("Every Sweep (rtl_power CSV)..."));
    exportMenu->addSeparator();
    auto *scope = new QActionGroup(exportMenu);
    QAction *windowScope = exportMenu->addAction(tr("The Window in View"));
    m_exportWholeAction = exportMenu->addAction(tr("The Whole History"));
    for (QAction *choice : {windowScope, m_exportWholeAction}) {
        choice->setCheckable(true);
        scope->addAction(choice);
    }
    windowScope->setChecked(true);
    const auto scanOf = [this](ScanExport::Format format, SpectrumTraces::Kind trace) {
        return [this, format, trace] { exportScan(format, trace); };
    };
    for (const SpectrumTraces::Kind trace :
         {SpectrumTraces::Kind::MaxHold, SpectrumTraces::Kind::Average,
          SpectrumTraces::Kind::Newest}) {
        connect(exportCoordinationAction(trace), &QAction::triggered, this,
                scanOf(ScanExport::Format::Coordination, trace));
        connect(exportWsmAction(trace), &QAction::triggered, this,
                scanOf(ScanExport::Format::Wsm, trace));
    }
    connect(m_exportSummaryAction, &QAction::triggered, this,
            scanOf(ScanExport::Format::Summary, SpectrumTraces::Kind::MaxHold));
    connect(m_exportSweepsAction, &QAction::triggered, this,
            scanOf(ScanExport::Format::RtlPower, SpectrumTraces::Kind::MaxHold));
    m_capture = new CaptureActions(analysis, page, this);
    exportMenu->addSeparator();
    exportMenu->addAction(m_capture->folderAction());
    m_exportAction = new QAction(tr("Export"), this);
    m_exportAction->setToolTip(tr("Write the scan for wireless-microphone coordination "
                                  "software, as a summary, or every sweep for SDR tools"));
    m_exportAction->setMenu(exportMenu);

    for (QAction *action : {m_peakAction, m_nextPeakAction, m_peakTableAction, m_referenceAction,
                            m_exportAction, m_capture->captureAction(SpectrumTraces::Kind::MaxHold),
                            m_capture->captureAction(SpectrumTraces::Kind::Average)})
        m_toolBar->addAction(action);
    for (QAction *withMenu : {m_referenceAction, m_exportAction}) {
        if (auto *button = qobject_cast<QToolButton *>(m_toolBar->widgetForAction(withMenu)))
            button->setPopupMode(QToolButton::InstantPopup);
    }
}

// The tool bar goes with the page, also from the window's tool bar.
AnalysisActions::~AnalysisActions()
{
    delete m_toolBar;
}

QAction *AnalysisActions::setReferenceAction(SpectrumTraces::Kind kind) const
{
    return kind == SpectrumTraces::Kind::Average ? m_setReferenceAverageAction
                                                 : m_setReferenceMaxAction;
}

QAction *AnalysisActions::exportCoordinationAction(SpectrumTraces::Kind trace) const
{
    switch (trace) {
    case SpectrumTraces::Kind::MaxHold:
        return m_exportMaxAction;
    case SpectrumTraces::Kind::Average:
        return m_exportAverageAction;
    case SpectrumTraces::Kind::Newest:
        break;
    }
    return m_exportNewestAction;
}

QAction *AnalysisActions::exportWsmAction(SpectrumTraces::Kind trace) const
{
    switch (trace) {
    case SpectrumTraces::Kind::MaxHold:
        return m_exportWsmMaxAction;
    case SpectrumTraces::Kind::Average:
        return m_exportWsmAverageAction;
    case SpectrumTraces::Kind::Newest:
        break;
    }
    return m_exportWsmNewestAction;
}

void AnalysisActions::compareWith()
{
    AnalysisContext *context = m_analysis->context();
    if (!context || !context->prompts())
        return;
    UserPrompts *prompts = context->prompts();
    QWidget *window = context->window();
    const QString title = tr("Compare With");
    QList<AnalysisContext::Recording> recordings = context->recordings();
    recordings.erase(std::remove_if(recordings.begin(), recordings.end(),
                                    [this](const AnalysisContext::Recording &recording) {
                                        return recording.page == m_page;
                                    }),
                     recordings.end());
    if (recordings.isEmpty()) {
        prompts->information(
            window, title,
            tr("Open another recording of the %1 band to compare with.").arg(m_page->bandName()));
        return;
    }
    QStringList items;
    for (const AnalysisContext::Recording &recording : qAsConst(recordings)) {
        const QString item = tr("%1 (%2)").arg(recording.title, recording.page->bandName());
        QString unique = item;
        for (int n = 2; items.contains(unique); ++n)
            unique = QStringLiteral("%1 [%2]").arg(item).arg(n);
        items.append(unique);
    }
    QString choice;
    if (!prompts->chooseItem(window, title,
                             tr("Compare the Max Hold in view with that of the recording:"), items,
                             &choice))
        return;
    const int chosen = items.indexOf(choice);
    if (chosen < 0)
        return;
    const AnalysisContext::Recording &other = recordings.at(chosen);
    const RfSpectrumHistory &theirs = other.page->history();
    if (RecordingFile::bandOf(theirs) != RecordingFile::bandOf(m_page->history())) {
        prompts->warning(window, title,
                         tr("\"%1\" is a recording of the %2 band; this page shows the %3 band. "
                            "Only a recording of the same band can be the reference.")
                             .arg(other.title, other.page->bandName(), m_page->bandName()));
        return;
    }
    const auto [first, last] = other.page->visibleRange();
    const SpectrumTraces traces
        = SpectrumTraces::of(theirs.samples, first, last, m_analysis->busyThreshold());
    if (traces.isEmpty()) {
        prompts->information(window, title,
                             tr("\"%1\" shows no sweeps to compare with.").arg(other.title));
        return;
    }
    const SpectrumTraces &mine = m_analysis->traces();
    const int steps = mine.steps() > 0 ? mine.steps() : m_page->history().samples.columns();
    if (steps > 0 && traces.steps() != steps) {
        prompts->warning(window, title,
                         tr("\"%1\" holds sweeps of %2 frequency steps; this page's have %3.")
                             .arg(other.title)
                             .arg(traces.steps())
                             .arg(steps));
        return;
    }
    m_analysis->useReference(
        {traces.trace(SpectrumTraces::Kind::MaxHold), SpectrumTraces::Kind::MaxHold,
         tr("Max Hold of \"%1\", %2")
             .arg(other.title, SpectrumAnalysis::windowText(other.page, first, last))});
}

SpectrumTraces AnalysisActions::exportTraces()
{
    if (!m_exportWholeAction->isChecked())
        return m_analysis->traces();
    const SampleStore &samples = m_page->history().samples;
    return SpectrumTraces::of(samples, 0, samples.size(), m_analysis->busyThreshold());
}

void AnalysisActions::exportScan(ScanExport::Format format, SpectrumTraces::Kind trace)
{
    AnalysisContext *context = m_analysis->context();
    if (!context || !context->prompts())
        return;
    UserPrompts *prompts = context->prompts();
    QWidget *window = context->window();
    struct Kind
    {
        QString title;
        QString name;
        QString suffix;
    };
    const Kind kind = [format]() -> Kind {
        switch (format) {
        case ScanExport::Format::Coordination:
            return {tr("Export Coordination Scan"), QStringLiteral("coordination"),
                    QStringLiteral(".txt")};
        case ScanExport::Format::Wsm:
            return {tr("Export Semicolon Scan"), QStringLiteral("wsm"), QStringLiteral(".csv")};
        case ScanExport::Format::Summary:
            break;
        case ScanExport::Format::RtlPower:
            return {tr("Export Every Sweep"), QStringLiteral("rtl_power"), QStringLiteral(".csv")};
        }
        return {tr("Export Summary"), QStringLiteral("summary"), QStringLiteral(".csv")};
    }();
    const SpectrumTraces traces = exportTraces();
    if (traces.isEmpty()) {
        prompts->information(window, kind.title,
                             m_exportWholeAction->isChecked()
                                 ? tr("The page holds no sweeps to export.")
                                 : tr("There are no sweeps in view to export."));
        return;
    }
    const QUrl url = prompts->saveFileUrl(
        window, kind.title, context->exportPath(m_page, kind.name, kind.suffix),
        kind.suffix == QLatin1String(".txt") ? tr("Text Files:") + QStringLiteral(" *.txt *.csv")
                                             : tr("CSV Files:") + QStringLiteral(" *.csv"));
    if (url.isEmpty() || !url.isLocalFile())
        return;
    QString path = url.toLocalFile();
    if (QFileInfo(path).suffix().isEmpty())
        path += kind.suffix;
    QString error;
    bool written = false;
    if (format == ScanExport::Format::RtlPower) {
        const SampleStore &samples = m_page->history().samples;
        const auto [first, last] = m_exportWholeAction->isChecked()
            ? std::pair<int, int>(0, samples.size())
            : m_page->visibleRange();
        const std::unique_ptr<UserPrompts::Progress> progress
            = prompts->progress(window, tr("Writing %1...").arg(QDir::toNativeSeparators(path)));
        written = SweepLines::save(
            path, samples, first, last, m_analysis->axis(),
            [&progress](qint64 done, qint64 total) { return progress->update(done, total); },
            &error);
        if (!written && error.isEmpty())
            return; // cancelled: the earlier file stays as it was
    } else {
        const QString project = m_page->history().projectInfo.projectName;
        const QString name
            = project.trimmed().isEmpty() ? QFileInfo(path).completeBaseName() : project;
        written = ScanExport::save(
            path, ScanExport::text(traces, m_analysis->axis(), {format, trace, name}), &error);
    }
    if (!written) {
        prompts->critical(window, tr("Error"),
                          tr("The scan was not exported. Unable to write %1: %2")
                              .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    context->remember(path);
}
