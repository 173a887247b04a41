#include "QuietMainWindow.h"
#include "QuorvexTest.h"
#include "app/About.h"
#include "app/ManualView.h"
#include "ui_About.h"
#include "ui_MainWindow.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>

namespace {

// Stands in for the web view: remembers what it was asked to load.
class FakeManualView : public ManualView
{
public:
    QUrl loaded;
    void load(const QUrl &url) override { loaded = url; }
};

// Catches what the desktop would open in the browser.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl &url) { opened << url; }
};

QList<About *> aboutWindows()
{
    QList<About *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *about = qobject_cast<About *>(widget))
            windows << about;
    }
    return windows;
}

} // namespace

// The Help menu: About, the user manual's window and the maker's web site.
class TestHelpMenu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void about()
    {
        QuietMainWindow window;
        window.getUi()->actionAbout->trigger();
        window.getUi()->actionAbout->trigger();
        QTRY_COMPARE(aboutWindows().size(), 2);
        About *about = aboutWindows().first();
        Ui::About *form = about->getUi();
        QVERIFY(about->isVisible() && !about->parent());
        QCOMPARE(about->windowTitle(), QString("About"));
        QVERIFY(!(about->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(form->lblAppTitle->text(), QString("Quorvex"));
        QVERIFY(form->lblAppTitle->font().bold());
        QCOMPARE(form->lblAppTitle->font().pointSize(), 10);
        QCOMPARE(form->lblVersion->text(), QString("Application Version: 1.0.0.9.0.281"));
        const QSize icon = form->lblAppIcon->pixmap(Qt::ReturnByValue).size();
        QVERIFY(!icon.isEmpty() && icon.width() <= 128 && icon.height() <= 128);

        // The plotting library in use: the version its shared library's file carries.
        const QString library
            = QFileInfo("/usr/lib/x86_64-linux-gnu/libqwt-qt5.so.6").canonicalFilePath();
        const QString inUse
            = QRegularExpression("\\.so\\.(\\d+\\.\\d+\\.\\d+)$").match(library).captured(1);
        if (!inUse.isEmpty())
            QCOMPARE(About::qwtVersion(), inUse);
        QCOMPARE(form->lblQwt->text(),
                 "Based on Qwt " + About::qwtVersion()
                     + " (<a href=\"https://qwt.sourceforge.io\">https://qwt.sourceforge.io</a>)");
        QCOMPARE(form->lblQt->text(),
                 "Based on Qt " + QString(qVersion())
                     + " (<a href=\"https://www.qt.io\">https://www.qt.io</a>)");
        QCOMPARE(form->lblQtLicense->text(),
                 QString("Qt Libraries are distributed under the <a "
                         "href=\"https://www.gnu.org/licenses/lgpl-3.0.html\">LGPL v3.0</a> "
                         "terms"));
        for (QLabel *label : {form->lblQwt, form->lblQt, form->lblQtLicense})
            QVERIFY(label->openExternalLinks());

        // Close closes (and deletes) one window only.
        QPointer<About> closing = about;
        QTest::mouseClick(form->buttonBox->button(QDialogButtonBox::Close), Qt::LeftButton);
        QTRY_VERIFY(closing.isNull());
        QCOMPARE(aboutWindows().size(), 1);
        delete aboutWindows().first();
    }

    void manualWindow()
    {
        QuietMainWindow window;
        QPointer<FakeManualView> view;
        window.setManualViewFactory([&view] { return view = new FakeManualView; });
        window.getUi()->actionUser_Manual->trigger();
        QVERIFY(view && view->isVisible() && !view->parent());
        QCOMPARE(view->loaded, QUrl("qrc:/manual/index.html"));
        QCOMPARE(view->size(), QSize(1024, 600));
        QCOMPARE(view->geometry().center(),
                 QGuiApplication::primaryScreen()->availableGeometry().center());
        emit view->loadStarted();
        QCOMPARE(view->windowTitle(), QString("Quorvex - User Manual - 0%"));
        emit view->loadProgress(42);
        QCOMPARE(view->windowTitle(), QString("Quorvex - User Manual - 42%"));
        emit view->loadFinished(true);
        QCOMPARE(view->windowTitle(), QString("Quorvex - User Manual"));
        view->close();
        QTRY_VERIFY(view.isNull());
    }

    // Closing the main window ends the program, whatever other windows are open: they close
    // with it, so that the framework's rule (the last window closed ends the program) holds.
    void closingTheWindowClosesTheOthers()
    {
        QuietMainWindow window;
        QPointer<FakeManualView> view;
        window.setManualViewFactory([&view] { return view = new FakeManualView; });
        window.show();
        window.getUi()->actionAbout->trigger();
        window.getUi()->actionUser_Manual->trigger();
        QTRY_COMPARE(aboutWindows().size(), 1);
        window.getUi()->actionQuit->trigger();
        QVERIFY(!window.isVisible());
        QTRY_VERIFY(view.isNull());
        QTRY_VERIFY(aboutWindows().isEmpty());
        for (QWidget *other : QApplication::topLevelWidgets())
            QVERIFY2(!other->isVisible(), qPrintable(other->objectName()));
    }

    // The manual in the resources: every picture and style sheet it uses is there, every
    // entry of its contents leads to a chapter, and the chapters the program needs are in it.
    void manualContents()
    {
        QFile file(":/manual/index.html");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        QRegularExpressionMatchIterator refs
            = QRegularExpression("(?:src|href)=\"([^\"#:]+)\"").globalMatch(html);
        int count = 0;
        while (refs.hasNext()) {
            const QString ref = refs.next().captured(1);
            QVERIFY2(QFile::exists(":/manual/" + ref), qPrintable(ref));
            ++count;
        }
        QVERIFY(count >= 8);
        QRegularExpressionMatchIterator anchors
            = QRegularExpression("href=\"#([^\"]+)\"").globalMatch(html);
        while (anchors.hasNext()) {
            const QString anchor = anchors.next().captured(1);
            QVERIFY2(html.contains("id=\"" + anchor + "\""), qPrintable(anchor));
        }
        for (const char *topic : {"-simulate", "-port NAME", "quorvex-tarn", "customColors.txt",
                                  "70-quorvex.rules", "Unable to find any Quorvex device!"})
            QVERIFY2(html.contains(QString::fromUtf8(topic)), topic);
    }

    void webSite()
    {
        QuietMainWindow window;
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("https", &catcher, "open");
        window.getUi()->actionTavorin_Website->trigger();
        QDesktopServices::unsetUrlHandler("https");
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl("https://tavorin.example")});
    }
};

QUORVEX_TEST_MAIN(TestHelpMenu)
#include "tst_helpmenu.moc"
