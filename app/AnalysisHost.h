#pragma once

#include "pages/AnalysisContext.h"

#include <QList>
#include <QObject>
#include <QString>

class QStackedWidget;
class QTabWidget;
class QToolBar;
class TabPage;
class UserPrompts;
class VexaIdPanel;

// The window's side of the pages' markers, references and exports (the AnalysisContext of
// each page's SpectrumAnalysis): the dialogs, the recordings open to compare with, the busy
// threshold set in the VEXA ID panel (the peak tables and summaries follow it), where exports go,
// and the place of the page's analysis buttons (Peak ... Export): at the end of the window's tool
// bar, those of the page in front.
class AnalysisHost : public QObject, public AnalysisContext
{
    Q_OBJECT

public:
    AnalysisHost(QTabWidget *tabs, VexaIdPanel *panel, QToolBar *windowBar, QWidget *window);

    void setPrompts(UserPrompts *prompts) { m_prompts = prompts; }
    UserPrompts *prompts() const override { return m_prompts; }
    QWidget *window() const override { return m_window; }

    // Gives a page's analysis this window.
    void attach(TabPage *page);
    // The recordings open in tabs (from index 2 on), in tab order.
    QList<Recording> recordings() const override;
    // The threshold set in the VEXA ID panel.
    double busyThreshold() const override;
    // The remembered export folder and the default name (project, band, time) with `kind` and
    // `suffix`.
    QString exportPath(const TabPage *page, const QString &kind,
                       const QString &suffix) const override;
    void remember(const QString &path) override;
    QString captureFolder() const override;
    void setCaptureFolder(const QString &folder) override;
    // In the status bar of the window, when it is a main window.
    void showStatus(const QString &text) override;

private:
    void showPageBar();

    QTabWidget *const m_tabs;
    VexaIdPanel *const m_panel;
    QWidget *const m_window;
    UserPrompts *m_prompts = nullptr;
    QStackedWidget *const m_pageBars;
};
