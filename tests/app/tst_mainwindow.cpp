#include "QuietMainWindow.h"
#include "QuorvexTest.h"
#include "app/MainWindow.h"
#include "app/ProjectInfoDialog.h"
#include "app/TavApp.h"
#include "app/WindowGeometry.h"
#include "data/Constants.h"
#include "data/RecordingFile.h"
#include "pages/SpectrumAnalysis.h"
#include "pages/TabPage.h"
#include "ui_MainWindow.h"
#include "ui_ProjectInfoDialog.h"
#include "widgets/RangeSlider.h"

#include <QFileOpenEvent>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QSettings>
#include <QToolBar>
#include <QToolButton>

namespace {

// Writes an empty recording of the band between minimum and maximum; its path, or empty.
QString writeRecording(const QTemporaryDir &dir, const QString &name, double minimum,
                       double maximum)
{
    RfSpectrumHistory history;
    history.freqInterval = QwtInterval(minimum, maximum);
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || !RecordingFile::write(file, history))
        return QString();
    return file.fileName();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QSettings().clear(); }

    void parseArgs_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("rbw");
        QTest::addColumn<int>("ampl");
        QTest::addColumn<double>("fstep");
        QTest::addColumn<bool>("debug");
        QTest::addColumn<bool>("qc");

        const QString prog = "quorvex";
        QTest::newRow("none") << QStringList{prog} << -1 << 0 << -1.0 << false << false;
        QTest::newRow("rbw 20") << QStringList{prog, "-rbw", "20"} << 20 << 0 << -1.0 << false
                                << false;
        QTest::newRow("rbw 40") << QStringList{prog, "-rbw", "40"} << 40 << 0 << -1.0 << false
                                << false;
        QTest::newRow("fstep 0") << QStringList{prog, "-fstep", "0"} << -1 << 0 << 0.0 << false
                                 << false;
        QTest::newRow("fstep 150")
            << QStringList{prog, "-fstep", "150"} << -1 << 0 << 150.0 << false << false;
        QTest::newRow("ampl -7") << QStringList{prog, "-ampl", "-7"} << -1 << -7 << -1.0 << false
                                 << false;
        QTest::newRow("debug, qc")
            << QStringList{prog, "-qc", "-debug"} << -1 << 0 << -1.0 << true << true;
        QTest::newRow("capital Debug")
            << QStringList{prog, "-Debug", "-QC"} << -1 << 0 << -1.0 << false << false;
        QTest::newRow("value last")
            << QStringList{prog, "-ampl", "3", "-rbw"} << -1 << 3 << -1.0 << false << false;
        QTest::newRow("fstep last")
            << QStringList{prog, "-fstep"} << -1 << 0 << -1.0 << false << false;
        // An unconvertible value is still consumed: "-qc" after it is an option again, and
        // "-debug" taken as the value of "-rbw" is not a mode switch.
        QTest::newRow("bad value")
            << QStringList{prog, "-rbw", "wide", "-qc"} << -1 << 0 << -1.0 << false << true;
        QTest::newRow("option as value")
            << QStringList{prog, "-rbw", "-debug"} << -1 << 0 << -1.0 << false << false;
        QTest::newRow("hex rbw") << QStringList{prog, "-rbw", "0x30"} << -1 << 0 << -1.0 << false
                                 << false;
        QTest::newRow("unknown options")
            << QStringList{prog, "-x", "-rbw", "33"} << 33 << 0 << -1.0 << false << false;
        QTest::newRow("program path only skipped")
            << QStringList{"-rbw", "50"} << -1 << 0 << -1.0 << false << false;
    }

    void parseArgs()
    {
        QFETCH(QStringList, args);
        QFETCH(int, rbw);
        QFETCH(int, ampl);
        QFETCH(double, fstep);
        QFETCH(bool, debug);
        QFETCH(bool, qc);

        QuietMainWindow window;
        bool fileOpened = false;
        window.parseArgs(args, &fileOpened);
        QVERIFY(!fileOpened);
        QCOMPARE(window.rbwOverride(), rbw);
        QCOMPARE(window.amplOffset(), ampl);
        QCOMPARE(window.fstepOverride(), fstep);
        QCOMPARE(window.debugMode(), debug);
        QCOMPARE(window.qcMode(), qc);
        // QC mode keeps communication errors of the running checks quiet.
        QCOMPARE(window.deviceComms()->noCommError(), qc);
    }

    void overridesReachScanParams()
    {
        QuietMainWindow window;
        window.parseArgs({"quorvex", "-rbw", "20", "-fstep", "0"}, nullptr);
        QCOMPARE(window.scanParamsWithOverrides(Constants::k_2400ScanParams),
                 Constants::k_2400ScanParams);

        window.parseArgs({"quorvex", "-rbw", "40", "-fstep", "150"}, nullptr);
        const ScanParams params = window.scanParamsWithOverrides(Constants::k_900ScanParams);
        QCOMPARE(params.value("RBW"), QVariant(40));
        QCOMPARE(params.value("FStep"), QVariant(150.0));
        QCOMPARE(params.value("FStart"), QVariant(902.0));

        window.parseArgs({"quorvex", "-rbw", "32"}, nullptr);
        QCOMPARE(window.scanParamsWithOverrides(Constants::k_2400ScanParams).value("RBW"),
                 QVariant(32));
    }

    void fileArguments()
    {
        QTemporaryDir dir;
        const QString good = writeRecording(dir, "good.tarn", 902.0, 928.0);
        QVERIFY(!good.isEmpty());
        QFile bad(dir.filePath("bad.tarn"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(QByteArray(100, '\0'));
        bad.close();

        QuietMainWindow window;
        QSignalSpy opened(&window, &MainWindow::recordingOpened);
        bool fileOpened = false;
        window.parseArgs({"quorvex", dir.filePath("missing.tarn")}, &fileOpened);
        QVERIFY(!fileOpened);

        // A rejected file still counts as a file given on the command line.
        QTest::ignoreMessage(QtCriticalMsg, "The file loaded has a wrong frequency interval");
        window.parseArgs({"quorvex", bad.fileName()}, &fileOpened);
        QVERIFY(fileOpened);
        QCOMPARE(opened.count(), 0);

        fileOpened = false;
        window.parseArgs({"quorvex", "-ampl", "2", good}, &fileOpened);
        QVERIFY(fileOpened);
        QCOMPARE(opened.count(), 1);
        QCOMPARE(opened.at(0).at(0).toString(), good);
        QCOMPARE(window.amplOffset(), 2);
    }

    void desktopFileOpenRequest()
    {
        QTemporaryDir dir;
        const QString path = writeRecording(dir, "from desktop.tarn", 2400.0, 2500.0);
        QVERIFY(!path.isEmpty());

        QuietMainWindow window;
        QSignalSpy requested(qobject_cast<TavApp *>(qApp), &TavApp::fileOpenRequested);
        QSignalSpy opened(&window, &MainWindow::recordingOpened);
        QFileOpenEvent event(path);
        QCoreApplication::sendEvent(qApp, &event);
        QCOMPARE(requested.count(), 1);
        QCOMPARE(opened.count(), 1);
        QCOMPARE(opened.at(0).at(0).toString(), path);
    }

    void startupTriggersConnectAndWifi()
    {
        QuietMainWindow window;
        QSignalSpy connect(window.getUi()->actionConnect, &QAction::triggered);
        QVERIFY(!window.getUi()->actionShow_Wifi->isChecked());
        QTRY_VERIFY(window.getUi()->actionShow_Wifi->isChecked());
        QCOMPARE(connect.count(), 1);
        QCOMPARE(window.windowTitle(), QString("Quorvex"));
    }

    // Project Info shows the window's project information; OK hands the edits to the window
    // and both live pages, Reset brings back what the dialog was opened with, Cancel keeps
    // the window's information (the edits stay in the editors).
    void projectInfoDialog()
    {
        QuietMainWindow window;
        ProjectInfoDialog *dialog = window.projectInfoDialog();
        Ui::ProjectInfoDialog *form = dialog->getUi();
        QCOMPARE(dialog->windowTitle(), QString("Project Info"));
        const auto button = [form](QDialogButtonBox::StandardButton which) {
            return form->buttonBox->button(which);
        };
        QVERIFY(button(QDialogButtonBox::Ok)->isDefault());

        window.getUi()->actionProject_Info->trigger();
        QVERIFY(dialog->isVisible());
        form->edtProjectName->setText("Opera House");
        form->edtProjectId->setText("P-17");
        form->edtScanLocation->setText("Stage left");
        form->edtTechnicianName->setText("R. Imre");
        QTest::mouseClick(button(QDialogButtonBox::Ok), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        const ProjectInfoData expected{"Opera House", "P-17", "Stage left", "R. Imre"};
        QCOMPARE(window.projectInfo(), expected);
        QCOMPARE(window.page(0)->hist().projectInfo, expected);
        QCOMPARE(window.page(1)->hist().projectInfo, expected);

        window.getUi()->actionProject_Info->trigger();
        form->edtProjectName->setText("Typo");
        QTest::mouseClick(button(QDialogButtonBox::Reset), Qt::LeftButton);
        QCOMPARE(form->edtProjectName->text(), QString("Opera House"));
        form->edtScanLocation->setText("Balcony");
        QTest::mouseClick(button(QDialogButtonBox::Cancel), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(window.projectInfo(), expected);
        QCOMPARE(form->edtScanLocation->text(), QString("Balcony"));
    }

    // Each page keeps its own view; Toggle View names the view of the page in front.
    void toggleViewFollowsThePage()
    {
        QuietMainWindow window;
        window.show();
        Ui::MainWindow *ui = window.getUi();
        const auto clickToggle = [&](int index) {
            QWidget *button = window.page(index)->toolBar()->widgetForAction(ui->actionToggle_View);
            QVERIFY(button);
            QTest::mouseClick(button, Qt::LeftButton);
        };
        QCOMPARE(ui->actionToggle_View->text(), QString("Spectrogram View"));
        clickToggle(0);
        QVERIFY(window.page(0)->showsWaterfall());
        QCOMPARE(ui->actionToggle_View->text(), QString("Waterfall View"));
        ui->tabWidget->setCurrentIndex(1);
        QVERIFY(!window.page(1)->showsWaterfall());
        QCOMPARE(ui->actionToggle_View->text(), QString("Spectrogram View"));
        ui->tabWidget->setCurrentIndex(0);
        QCOMPARE(ui->actionToggle_View->text(), QString("Waterfall View"));
    }

    // Without a mouse: Tab walks through every button of the window's and the page's tool bars
    // (at a common width: none is left to the tool bar's overflow menu) and reaches the time
    // bar.
    void tabReachesEveryToolBarButton()
    {
        QuietMainWindow window;
        window.resize(1400, 800);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QList<QWidget *> expected;
        for (QToolBar *bar : {window.getUi()->toolBar, window.page(0)->toolBar(),
                              window.page(0)->analysis()->toolBar()}) {
            const QList<QToolButton *> buttons
                = bar->findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly);
            for (QToolButton *button : buttons) {
                if (button->isVisible() && button->isEnabled())
                    expected.append(button);
            }
        }
        QVERIFY(expected.size() >= 10);
        expected.append(window.page(0)->timeBar());

        QSet<QWidget *> reached;
        expected.constFirst()->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 200 && reached.size() < expected.size(); ++i) {
            QWidget *focus = QApplication::focusWidget();
            QVERIFY(focus);
            if (expected.contains(focus))
                reached.insert(focus);
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        for (QWidget *widget : qAsConst(expected)) {
            const auto *button = qobject_cast<QToolButton *>(widget);
            QVERIFY2(reached.contains(widget),
                     qPrintable(button ? button->text() : widget->metaObject()->className()));
        }
    }

    void defaultGeometry()
    {
        QCOMPARE(WindowGeometry::defaultGeometry(QRect(0, 0, 1920, 1080)),
                 QRect(0, 184, 1920, 712));
        QCOMPARE(WindowGeometry::defaultGeometry(QRect(10, 30, 1000, 501)),
                 QRect(10, 115, 1000, 330));

        QuietMainWindow window;
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(window.geometry(), WindowGeometry::defaultGeometry(available));
    }

    void geometrySavedAndRestored()
    {
        const QRect saved(40, 60, 900, 500);
        {
            QuietMainWindow window;
            window.setGeometry(saved);
            window.saveWindowGeometry();
        }
        QCOMPARE(QSettings().value("WindowGeometry").toRect(), saved);
        QCOMPARE(QSettings().value("WindowMaximized").toBool(), false);
        {
            QuietMainWindow window;
            QCOMPARE(window.geometry(), saved);
            QVERIFY(!window.isMaximized());
            // Maximised at quit: the geometry from before stays stored.
            window.showMaximized();
            window.saveWindowGeometry();
        }
        QCOMPARE(QSettings().value("WindowMaximized").toBool(), true);
        QCOMPARE(QSettings().value("WindowGeometry").toRect(), saved);
        QuietMainWindow window;
        QVERIFY(window.windowState() & Qt::WindowMaximized);
        window.showNormal();
        QCOMPARE(window.geometry(), saved);
    }
};

// The program's own application object, so desktop file-open events reach the window.
QUORVEX_TEST_MAIN_IMPL(TavApp, TestMainWindow)
#include "tst_mainwindow.moc"
