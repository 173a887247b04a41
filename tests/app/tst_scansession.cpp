#include "QuietMainWindow.h"
#include "QuorvexTest.h"
#include "SimLog.h"
#include "app/ProjectInfoDialog.h"
#include "app/ScanSession.h"
#include "data/HistoryJournal.h"
#include "data/JournalFormat.h"
#include "data/JournalReader.h"
#include "data/RecordingFile.h"
#include "pages/TabPage.h"
#include "plots/SpectroPlot.h"
#include "plots/WaterfallPlot.h"
#include "ui_MainWindow.h"
#include "wifi/NativeWifi.h"

#include <QDir>
#include <QLabel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

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

Q_DECLARE_METATYPE(UserPrompts::UnsavedChoice)

// The scan session's rules against the simulated analyzer: nothing unsaved goes without a
// question, a lost link keeps the scan, a new run starts clean, and Scan always scans a band.
class TestScanSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each case starts with no journal of an earlier one.
    void init() { QDir(JournalFormat::folder()).removeRecursively(); }
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

    // Space in the gap after a band switch, answered after the switch's restart was due: the
    // restart waits for the answer, so exactly one set-up reaches the analyzer, no sweep is
    // taken (and wiped) while the question is open, and a save holds what was asked about.
    void slowAnswerInBandSwitchGap_data()
    {
        QTest::addColumn<Choice>("choice");
        QTest::newRow("save") << Choice::Save;
        QTest::newRow("discard") << Choice::Discard;
        QTest::newRow("cancel") << Choice::Cancel;
    }
    void slowAnswerInBandSwitchGap()
    {
        QFETCH(Choice, choice);
        Scanning s;
        QVERIFY(s.start());
        SimLog log(s.sim);
        QVERIFY(s.sweepsArrive(s.page2400, 5));
        QTemporaryDir dir;
        RfSpectrumHistory asked;
        s.window.prompts->answerAfterMs = 2 * ScanSession::k_bandSwitchRestartMs;
        s.window.prompts->onOpen = [&] { asked = s.page2400->history(); };
        s.window.prompts->unsavedAnswers = {choice};
        s.window.prompts->fileAnswers << QUrl::fromLocalFile(dir.filePath("asked.tarn"));
        s.ui->tabWidget->setCurrentIndex(1);
        QTRY_VERIFY(!s.window.deviceComms()->scanning());
        const int switched = log.entries.size();
        s.window.scanSession()->scan();
        QCOMPARE(s.window.prompts->unsavedQuestions.size(), 1);
        QVERIFY(s.sweepsArrive(s.page900, 3));
        QTest::qWait(2 * ScanSession::k_bandSwitchRestartMs);

        const int setUp = log.bandCommand(1, switched);
        QVERIFY(setUp >= 0);
        QCOMPARE(log.bandCommand(1, setUp + 1), -1);
        QCOMPARE(log.bandCommand(2, switched), -1);
        // Before it, only what the stopped 2.4 GHz scan still sent.
        for (int i = switched; i < setUp; ++i)
            QVERIFY2(log.entries.at(i).code != 0 || log.entries.at(i).samples == 501,
                     "a 900 MHz sweep was sent while the question was open");
        QVERIFY(s.window.deviceComms()->scanning());
        if (choice == Choice::Save)
            QCOMPARE(load(dir.filePath("asked.tarn")), asked);
        if (choice == Choice::Cancel)
            QCOMPARE(s.page2400->history(), asked);
        else
            QVERIFY(s.page2400->history().samples.isEmpty());
        // Only the 900 MHz scan now under way is journalled.
        QTRY_COMPARE(journals().size(), choice == Choice::Cancel ? 2 : 1);
    }

    // Quit while scanning, each answer given after sweeps kept coming for a second: a save
    // holds the history the question named and leaves no journal to recover; a discard gets
    // no new journal from sweeps that arrive afterwards; Cancel loses none of them.
    void quitWhileScanning_data()
    {
        QTest::addColumn<Choice>("choice");
        QTest::newRow("save") << Choice::Save;
        QTest::newRow("discard") << Choice::Discard;
        QTest::newRow("cancel") << Choice::Cancel;
    }
    void quitWhileScanning()
    {
        QFETCH(Choice, choice);
        Scanning s;
        QVERIFY(s.start());
        QVERIFY(s.sweepsArrive(s.page2400, 10));
        QTemporaryDir dir;
        RfSpectrumHistory asked;
        s.window.prompts->answerAfterMs = 1000;
        s.window.prompts->onOpen = [&] { asked = s.page2400->history(); };
        s.window.prompts->unsavedAnswers = {choice};
        s.window.prompts->fileAnswers << QUrl::fromLocalFile(dir.filePath("quit.tarn"));
        QApplication::setQuitOnLastWindowClosed(false);
        QCOMPARE(s.window.close(), choice != Choice::Cancel);
        QVERIFY(s.window.deviceComms()->scanning());
        QTest::qWait(1000);
        if (choice == Choice::Cancel) {
            // The sweeps of the second the question was open reached the page, in order.
            QVERIFY(s.sweepsArrive(s.page2400, 5));
            const SampleStore &samples = s.page2400->history().samples;
            qint64 longest = 0;
            for (int i = 1; i < samples.size(); ++i)
                longest = qMax(longest, samples.timestamp(i) - samples.timestamp(i - 1));
            QVERIFY2(longest < 600, qPrintable(QString::number(longest)));
            return;
        }
        QCOMPARE(s.page2400->history(), asked);
        if (choice == Choice::Save)
            QCOMPARE(load(dir.filePath("quit.tarn")), asked);
        QVERIFY(journals().isEmpty());
    }

    // The journal's disk fills up during a scan: the scan goes on, a mark in the status bar
    // says it is not protected, the user is told once (the warning never holds up the sweeps),
    // and once there is room again the journal holds the whole history.
    void journalDiskFull()
    {
        std::signal(SIGXFSZ, SIG_IGN);
        struct FileSizeLimit
        {
            explicit FileSizeLimit(rlim_t bytes) { set(bytes); }
            ~FileSizeLimit() { set(RLIM_INFINITY); }
            static void set(rlim_t bytes)
            {
                rlimit limit;
                getrlimit(RLIMIT_FSIZE, &limit);
                limit.rlim_cur = bytes;
                setrlimit(RLIMIT_FSIZE, &limit);
            }
        } full(40000);
        Scanning s;
        s.page2400->journalKeeper()->setRetryInterval(500);
        int sweepsWhenTold = 0;
        s.window.prompts->answerAfterMs = 1500;
        s.window.prompts->onOpen = [&] { sweepsWhenTold = s.page2400->history().samples.size(); };
        QVERIFY(s.start());
        QTRY_COMPARE_WITH_TIMEOUT(s.window.prompts->warnings.size(), 1, 30000);
        // Sweeps went on arriving while the warning was open.
        QVERIFY(s.page2400->history().samples.size() > sweepsWhenTold + 5);
        auto *mark = s.window.statusBar()->findChild<QLabel *>("journalMark");
        QVERIFY(mark && mark->isVisible());
        QVERIFY2(mark->text().contains("2.4 GHz"), qPrintable(mark->text()));
        QVERIFY(s.page2400->journalKeeper()->isBroken());
        QVERIFY(s.sweepsArrive(s.page2400, 30));
        QCOMPARE(s.window.prompts->warnings.size(), 1); // tried again, not told again

        FileSizeLimit::set(RLIM_INFINITY);
        QTRY_VERIFY_WITH_TIMEOUT(!mark->isVisible(), 10000);
        QVERIFY(s.sweepsArrive(s.page2400, 5));
        QVERIFY(s.page2400->journal()->flush());
        const JournalReader::Result read = JournalReader::read(s.page2400->journal()->path());
        QVERIFY2(read.damage.isEmpty(), qPrintable(read.damage));
        QCOMPARE(read.history.samples.toList(),
                 s.page2400->history().samples.toList(0, read.sweeps));
        QVERIFY(read.sweeps > 60);
        // The broken journal is gone; the folder and the file are this user's alone.
        QCOMPARE(journals().size(), 1);
        const auto mode = [](const QString &path) {
            struct stat status;
            return ::stat(QFile::encodeName(path).constData(), &status) == 0
                ? int(status.st_mode & 07777)
                : -1;
        };
        QCOMPARE(mode(JournalFormat::folder()), 0700);
        QCOMPARE(mode(s.page2400->journal()->path()), 0600);
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
