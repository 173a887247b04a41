#pragma once

#include <QPointer>
#include <QString>
#include <functional>

class QFile;
class QWidget;
struct RfSpectrumHistory;
class ReportJob;
class TabPage;
class UserPrompts;

// Saving a page's history as a recording and its view as a snapshot, and choosing a recording
// to open: the file dialogs with their remembered folders and default names
// "<folder>/<name>_<band>_<time>", and what the user is told when a file cannot be written.
class RecordingActions
{
public:
    // The window's current project name: when it is empty the default names say "Quorvex",
    // otherwise they carry the project name of the page concerned.
    using ProjectName = std::function<QString()>;

    RecordingActions(QWidget *window, ProjectName projectName);

    void setPrompts(UserPrompts *prompts) { m_prompts = prompts; }

    // Asks where and writes the page's history as it is now; the page learns what was saved
    // (sweeps arriving meanwhile stay unsaved). True once the file is written.
    bool save(TabPage *page);
    void snapshot(TabPage *page);
    // Asks where and writes a site-survey report of what the page shows (its time bar's
    // stretch) on another thread; progress goes to `status`, and the end is said.
    void report(TabPage *page, const std::function<void(const QString &)> &status);
    // A report is being written.
    bool isReporting() const;
    // Asks for a recording to open: its path, or empty when the dialog was cancelled.
    QString askOpen();
    // Reads a recording, showing how far the reading got, and hands it to `show` with its
    // title; a recording that ends early is shown with what it holds and the user is told.
    // False when it cannot be read (the user is told why) or the reading was cancelled.
    bool open(QFile &file,
              const std::function<void(const RfSpectrumHistory &, const QString &)> &show);

    // The band part of a page's default names.
    static QString bandOf(const TabPage *page);

private:
    QString defaultName(const TabPage *page) const;

    QWidget *const m_window;
    const ProjectName m_projectName;
    UserPrompts *m_prompts = nullptr;
    QPointer<ReportJob> m_report;
};
