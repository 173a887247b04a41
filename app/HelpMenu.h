#pragma once

#include <QObject>
#include <QUrl>
#include <functional>

class ManualView;
class QAction;
class QToolButton;
class QWidget;

// The Help menu of the main window's tool bar: the user manual in a window of its own, the
// maker's web site in the desktop's browser, the firmware update and About (a window each time).
class HelpMenu : public QObject
{
    Q_OBJECT

public:
    // The address of the maker's web site and of the manual in the resources.
    static const QUrl k_webSite;
    static const QUrl k_manualUrl;

    struct Actions
    {
        QAction *manual;
        QAction *webSite;
        QAction *updateFirmware;
        QAction *about;
    };
    // Makes the user manual's window (a web view unless replaced).
    using ManualViewFactory = std::function<ManualView *()>;

    HelpMenu(const Actions &actions, QWidget *window);

    // The tool button that opens the menu.
    QToolButton *button() const { return m_button; }
    void setManualViewFactory(ManualViewFactory factory)
    {
        m_manualViewFactory = std::move(factory);
    }

private:
    void showAbout();
    void showManual();

    QToolButton *m_button = nullptr;
    ManualViewFactory m_manualViewFactory;
};
