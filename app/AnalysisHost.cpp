#include "AnalysisHost.h"

#include "FileLocations.h"
#include "RecordingActions.h"
#include "networks/VexaIdPanel.h"
#include "pages/SpectrumAnalysis.h"
#include "pages/TabPage.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <QSettings>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>

AnalysisHost::AnalysisHost(QTabWidget *tabs, VexaIdPanel *panel, QToolBar *windowBar,
                           QWidget *window)
    : QObject(window)
    , m_tabs(tabs)
    , m_panel(panel)
    , m_window(window)
    , m_pageBars(new QStackedWidget(windowBar))
{
    // The window's tool bar has room to spare at its end; the page's own has none.
    windowBar->addSeparator();
    windowBar->addWidget(m_pageBars);
    connect(tabs, &QTabWidget::currentChanged, this, &AnalysisHost::showPageBar);
}

void AnalysisHost::showPageBar()
{
    const auto *page = qobject_cast<TabPage *>(m_tabs->currentWidget());
    QToolBar *bar = page ? page->analysis()->toolBar() : nullptr;
    if (bar && m_pageBars->indexOf(bar) >= 0)
        m_pageBars->setCurrentWidget(bar);
}

void AnalysisHost::attach(TabPage *page)
{
    SpectrumAnalysis *analysis = page->analysis();
    analysis->setContext(this);
    m_pageBars->addWidget(analysis->toolBar());
    showPageBar();
    connect(m_panel->thresholdBox(), QOverload<int>::of(&QSpinBox::valueChanged), analysis,
            &SpectrumAnalysis::refresh);
}

QList<AnalysisContext::Recording> AnalysisHost::recordings() const
{
    QList<Recording> result;
    for (int index = 2; index < m_tabs->count(); ++index) {
        if (auto *page = qobject_cast<TabPage *>(m_tabs->widget(index)))
            result.append({page, m_tabs->tabText(index)});
    }
    return result;
}

double AnalysisHost::busyThreshold() const
{
    return m_panel->advisorOptions().thresholdDbm;
}

QString AnalysisHost::exportPath(const TabPage *page, const QString &kind,
                                 const QString &suffix) const
{
    const QString project = page->history().projectInfo.projectName;
    return FileLocations::defaultPath(FileLocations::Kind::Export,
                                      project.isEmpty() ? QCoreApplication::applicationName()
                                                        : project,
                                      RecordingActions::bandOf(page))
        + QLatin1Char('_') + kind + suffix;
}

void AnalysisHost::remember(const QString &path)
{
    FileLocations::remember(FileLocations::Kind::Export, path);
}

QString AnalysisHost::captureFolder() const
{
    return QSettings().value(FileLocations::settingsKey(FileLocations::Kind::Capture)).toString();
}

void AnalysisHost::setCaptureFolder(const QString &folder)
{
    QSettings().setValue(FileLocations::settingsKey(FileLocations::Kind::Capture), folder);
}

void AnalysisHost::showStatus(const QString &text)
{
    if (auto *window = qobject_cast<QMainWindow *>(m_window))
        window->statusBar()->showMessage(text);
}
