#include "WebManualView.h"

#include <QVBoxLayout>
#include <QWebEngineView>

WebManualView::WebManualView(QWidget *parent)
    : ManualView(parent)
    , m_view(new QWebEngineView(this))
{
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
