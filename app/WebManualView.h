#pragma once

#include "ManualView.h"

class QWebEngineView;

// The user manual in the framework's web view.
class WebManualView : public ManualView
{
    Q_OBJECT

public:
    explicit WebManualView(QWidget *parent = nullptr);

    void load(const QUrl &url) override;

private:
    QWebEngineView *m_view;
};
