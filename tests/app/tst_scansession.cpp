#include "QuietMainWindow.h"
#include "QuorvexTest.h"
#include "SimLog.h"
#include "app/ProjectInfoDialog.h"
#include "app/ScanSession.h"
#include "data/HistoryJournal.h"
#include "data/JournalFormat.h"
#include "data/RecordingFile.h"
#include "pages/TabPage.h"
#include "plots/SpectroPlot.h"
#include "plots/WaterfallPlot.h"
#include "ui_MainWindow.h"
#include "wifi/NativeWifi.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

using Choice = UserPrompts::UnsavedChoice;

SimulatedAnalyzerSettings fastSettings()
{
    SimulatedAnalyzerSettings settings;
    settings.throttle = false;
    return settings;
}

RfSpectrumHistory load(const QString &path)
{
    RfSpectrumHistory history;
    QFile file(path);
    RecordingFile::load(file, history);
    return history;
}

QStringList journals()
{
    return QDir(JournalFormat::folder()).entryList({"*.journal"}, QDir::Files);
}

// The window scanning the simulated analyzer, named by -port.
struct Scanning
{
    SimulatedAnalyzer sim{fastSettings()};
    QuietMainWindow window;
    Ui::MainWindow *ui = window.getUi();
    TabPage *page2400 = window.page(0);
    TabPage *page900 = window.page(1);

    bool start()
    {
        if (!sim.start())
            return false;
        window.show();
        window.parseArgs({"quorvex", "-port", sim.portName()}, nullptr);
        return true;
    }
    // Waits until the page holds `more` sweeps more than now.
    bool sweepsArrive(TabPage *page, int more = 5)
    {
        const int target = page->history().samples.size() + more;
        return QTest::qWaitFor([&] { return page->history().samples.size() >= target; }, 15000);
    }
    void addEventAndLabel(TabPage *page, const QString &text)
    {
        emit page->waterfallPlot()->timeEventAdded({QDateTime::currentDateTime(), text});
        emit page->spectroPlot()->spectroLabelAdded({QPointF(2440.0, -50.0), text});
    }
};

} // namespace

// The scan session's rules against the simulated analyzer: nothing unsaved goes without a
// question, a lost link keeps the scan, a new run starts clean, and Scan always scans a band.
class TestScanSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { NativeWifi::clearSimulatedAir(); }

    // The analyzer unplugged mid-scan: the page keeps its history and saves it; the next
    // Connect asks before its scan clears it; Cancel keeps it and scans nothing, Discard
    // clears it and scans. A saved run's recording holds only its own events and labels.
    void lostLinkKeepsTheScan()
    {
        Scanning s;
        QVERIFY(s.start());
        QVERIFY(s.sweepsArrive(s.page2400, 10));
        s.addEventAndLabel(s.page2400, "first run");
        QTRY_COMPARE(journals().size(), 1);

        s.sim.hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(!s.window.deviceComms()->connected(), 10000);
        QVERIFY(s.page2400->isEnabled());
        QVERIFY(s.ui->actionSave->isEnabled() && s.ui->actionSnapshot->isEnabled());
        QVERIFY(!s.ui->actionRecord->isEnabled());
        QVERIFY(s.page2400->hasUnsavedChanges());

        QTemporaryDir dir;
        s.window.prompts->fileAnswers << QUrl::fromLocalFile(dir.filePath("lost.tarn"));
        s.ui->actionSave->trigger();
        QCOMPARE(load(dir.filePath("lost.tarn")), s.page2400->history());
        QVERIFY(!s.page2400->hasUnsavedChanges());
        QVERIFY(journals().isEmpty());

        // Changed after the save: unsaved again, and journalled again from the start.
        s.addEventAndLabel(s.page2400, "after the save");
        QVERIFY(s.page2400->hasUnsavedChanges());
        QVERIFY(s.page2400->journal()->flush());
        QCOMPARE(journals().size(), 1);
        const RfSpectrumHistory kept = s.page2400->history();

        QVERIFY(s.sim.plugIn());
        s.window.prompts->unsavedAnswers = {Choice::Cancel};
        s.ui->actionConnect->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(s.window.deviceComms()->connected(), 10000);
        QCOMPARE(s.window.prompts->unsavedQuestions.size(), 1);
        QVERIFY2(s.window.prompts->unsavedQuestions.first().startsWith(
                     QString("\u201c2.4 GHz\u201d holds %1 sweeps").arg(kept.samples.size())),
                 qPrintable(s.window.prompts->unsavedQuestions.first()));
        QTest::qWait(300);
        QVERIFY(!s.window.deviceComms()->scanning());
        QCOMPARE(s.page2400->history(), kept);
        QVERIFY(s.ui->actionRecord->isEnabled());

        s.window.prompts->unsavedAnswers = {Choice::Discard};
        s.ui->actionRecord->trigger();
        QCOMPARE(s.window.prompts->unsavedQuestions.size(), 2);
        QTRY_VERIFY(s.window.deviceComms()->scanning());
        QVERIFY(s.sweepsArrive(s.page2400, 3));
        QVERIFY(s.page2400->history().timeEvents.isEmpty());
        QVERIFY(s.page2400->history().labels.isEmpty());
        s.addEventAndLabel(s.page2400, "second run");

        // Stop offers the save: the recording is the second run's alone.
        s.window.prompts->questionAnswer = true;
        s.window.prompts->fileAnswers << QUrl::fromLocalFile(dir.filePath("second.tarn"));
        s.ui->actionStop->trigger();
        const RfSpectrumHistory second = load(dir.filePath("second.tarn"));
        QCOMPARE(second.timeEvents.size(), 1);
        QCOMPARE(second.timeEvents.first().text, QString("second run"));
        QCOMPARE(second.labels.size(), 1);
        QCOMPARE(second.labels.first().text, QString("second run"));
        QVERIFY(second.samples.timestamp(0) > kept.samples.timestamp(kept.samples.size() - 1));
    }

    // Space a moment after a band switch asks before clearing; so does closing the window
    // with an unsaved scan. What is saved and unchanged asks nothing.
    void questionsBeforeClearingAndQuitting()
    {
        Scanning s;
        QVERIFY(s.start());
        // The project named, the project dialog leaves the keyboard to the window.
        QTRY_VERIFY(s.window.projectInfoDialog()->isVisible());
        s.window.projectInfoDialog()->setData({"Hall", "", "", ""});
        s.window.projectInfoDialog()->accept();
        QApplication::setActiveWindow(&s.window);
        QVERIFY(QTest::qWaitForWindowActive(&s.window));
        QVERIFY(s.sweepsArrive(s.page2400, 5));
        QElapsedTimer switched;
        switched.start();
        s.ui->tabWidget->setCurrentIndex(1);
        s.window.prompts->unsavedAnswers = {Choice::Cancel};
        QTRY_VERIFY(s.ui->actionRecord->isEnabled());
        const int held = s.page2400->history().samples.size();
        QTest::keyClick(&s.window, Qt::Key_Space);
        QVERIFY(switched.elapsed() < ScanSession::k_bandSwitchRestartMs);
        QCOMPARE(s.window.prompts->unsavedQuestions.size(), 1);
        QVERIFY(s.window.prompts->unsavedQuestions.first().contains("2.4 GHz"));
        QVERIFY(s.page2400->history().samples.size() >= held);
        // The switch's own restart still comes: the 900 MHz page scans.
        QVERIFY(s.sweepsArrive(s.page900, 3));

        // Closing: both bands hold unsaved sweeps. Cancel keeps the window open.
        s.window.prompts->unsavedAnswers = {Choice::Cancel};
        QVERIFY(!s.window.close());
        QVERIFY(s.window.isVisible());
        QCOMPARE(s.window.prompts->unsavedQuestions.size(), 2);

        // Saved, and unchanged since: no question for the saved band.
        s.ui->actionStop->trigger(); // asks whether to save: no
        QTRY_VERIFY(!s.window.deviceComms()->scanning());
        QTemporaryDir dir;
        s.window.prompts->fileAnswers << QUrl::fromLocalFile(dir.filePath("900.tarn"));
        s.ui->actionSave->trigger();
        QVERIFY(!s.page900->hasUnsavedChanges());
        s.window.prompts->unsavedAnswers = {Choice::Discard};
        QApplication::setQuitOnLastWindowClosed(false);
        QVERIFY(s.window.close());
        QCOMPARE(s.window.prompts->unsavedQuestions.size(), 3);
        QVERIFY(s.window.prompts->unsavedQuestions.last().contains("2.4 GHz"));
        QVERIFY(journals().isEmpty());
    }

    // Scan with a recording in front scans the band scanned last, brought to the front.
    void scanWithRecordingInFront()
    {
        Scanning s;
        QVERIFY(s.start());
        SimLog log(s.sim);
        QVERIFY(s.sweepsArrive(s.page2400, 2));
        s.ui->tabWidget->setCurrentIndex(1);
        QVERIFY(s.sweepsArrive(s.page900, 2));
        s.ui->actionStop->trigger();
        QTRY_VERIFY(!s.window.deviceComms()->scanning());

        RfSpectrumHistory recording;
        recording.freqInterval = QwtInterval(2400.0, 2500.0);
        recording.rssiInterval = QwtInterval(-100.0, -30.0);
        QTemporaryDir dir;
        QString error;
        QVERIFY(RecordingFile::save(dir.filePath("earlier.tarn"), recording, &error));
        QFile earlier(dir.filePath("earlier.tarn"));
        QVERIFY(s.window.openFile(earlier));
        QCOMPARE(s.ui->tabWidget->currentIndex(), 2);

        const int before = log.entries.size();
        s.ui->actionRecord->trigger();
        QCOMPARE(s.ui->tabWidget->currentIndex(), 1);
        QTRY_VERIFY(s.window.deviceComms()->scanning());
        QVERIFY(log.bandCommand(1, before) >= 0);
        QCOMPARE(log.bandCommand(2, before), -1);
        QVERIFY(s.sweepsArrive(s.page900, 2));
        QCOMPARE(s.window.scanSession()->lastBand(), 1);
    }
};

QUORVEX_TEST_MAIN(TestScanSession)
#include "tst_scansession.moc"
