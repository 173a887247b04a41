#include "HelpMenu.h"

#include "About.h"
#include "ManualView.h"
#include "WebManualView.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QToolButton>

const QUrl HelpMenu::k_webSite(QStringLiteral("https://tavorin.example"));
const QUrl HelpMenu::k_manualUrl(QStringLiteral("qrc:/manual/index.html"));

HelpMenu::HelpMenu(const Actions &actions, QWidget *window)
    : QObject(window)
    , m_button(new QToolButton(window))
    , m_manualViewFactory([] { return new WebManualView; })
{
    m_button->setText(tr("Help") + QStringLiteral("  "));
    m_button->setPopupMode(QToolButton::InstantPopup);
    auto *menu = new QMenu(m_button);
    menu->addAction(actions.manual);
    menu->addAction(actions.webSite);
    menu->addAction(actions.updateFirmware);
    menu->addAction(actions.about);
    m_button->setMenu(menu);
    connect(actions.manual, &QAction::triggered, this, &HelpMenu::showManual);
    connect(actions.webSite, &QAction::triggered, this,
            [] { QDesktopServices::openUrl(k_webSite); });
    connect(actions.about, &QAction::triggered, this, &HelpMenu::showAbout);
}

void HelpMenu::showAbout()
{
    // A window of its own each time, several at once if asked for.
    auto *about = new About(nullptr);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->show();
}

void HelpMenu::showManual()
{
    ManualView *view = m_manualViewFactory();
    view->setAttribute(Qt::WA_DeleteOnClose);
    QRect available(0, 0, 1280, 800);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        available = screen->availableGeometry();
    QRect frame(0, 0, 1024, 600);
    frame.moveCenter(available.center());
    view->setGeometry(frame);
    const QString title
        = QCoreApplication::applicationName() + QStringLiteral(" - ") + tr("User Manual");
    connect(view, &ManualView::loadStarted, view,
            [view, title] { view->setWindowTitle(title + QStringLiteral(" - 0%")); });
    connect(view, &ManualView::loadProgress, view, [view, title](int progress) {
        view->setWindowTitle(title + QStringLiteral(" - ") + QString::number(progress)
                             + QLatin1Char('%'));
    });
    connect(view, &ManualView::loadFinished, view, [view, title] { view->setWindowTitle(title); });
    view->load(k_manualUrl);
    view->show();
}
