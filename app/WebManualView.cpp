#include "WebManualView.h"

#include <QVBoxLayout>
#include <QWebEngineSettings>
#include <QWebEngineView>

WebManualView::WebManualView(QWidget *parent)
    : ManualView(parent)
    , m_view(new QWebEngineView(this))
{
    // The web engine starts with the first view, not with the program: until the manual is
    // opened it costs nothing, and wakes nothing while the program sits idle.
    QWebEngineSettings *web = m_view->settings();
    web->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    web->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
    web->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    connect(m_view, &QWebEngineView::loadStarted, this, &ManualView::loadStarted);
    connect(m_view, &QWebEngineView::loadProgress, this, &ManualView::loadProgress);
    connect(m_view, &QWebEngineView::loadFinished, this, &ManualView::loadFinished);
}

void WebManualView::load(const QUrl &url)
{
    m_view->load(url);
}
