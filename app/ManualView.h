#pragma once

#include <QUrl>
#include <QWidget>

// A window that shows the user manual and reports its loading as the web view does. The
// program's is a web view (WebManualView); tests put a stand-in in its place, because the web
// engine does not start without an OpenGL context.
class ManualView : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;

    virtual void load(const QUrl &url) = 0;

Q_SIGNALS:
    void loadStarted();
    void loadProgress(int progress);
    void loadFinished(bool ok);
};
