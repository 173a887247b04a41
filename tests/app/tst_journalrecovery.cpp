#include "QuietMainWindow.h"
#include "QuorvexTest.h"
#include "TarnRun.h"
#include "app/JournalRecovery.h"
#include "data/HistoryJournal.h"
#include "data/JournalEncoder.h"
#include "data/JournalFormat.h"
#include "data/JournalReader.h"
#include "data/RecordingFile.h"
#include "pages/TabPage.h"
#include "plots/SpectroPlot.h"
#include "plots/WaterfallPlot.h"
#include "sim/SimulatedAnalyzer.h"
#include "sim/SimulatedSweepGenerator.h"
#include "ui_MainWindow.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QToolBar>
#include <cmath>
#include <signal.h>
#include <sys/resource.h>

namespace {

QStringList journals()
{
    return QDir(JournalFormat::folder()).entryList({"*.journal"}, QDir::Files);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// A scan survives the process: the real program, scanning its simulated analyzer, is killed;
// the next start offers the scan, recovers it into a tab that saves it, and the command line
// writes the same recording.
class TestJournalRecovery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedProgramLosesAtMostTwoSeconds()
    {
        QDir(JournalFormat::folder()).removeRecursively();
        QTemporaryDir terminal;
        QVERIFY(terminal.isValid());
        const QString errorLog = terminal.filePath("stderr.txt");
        QProcess program;
        program.setProgram(QUORVEX_BINARY);
        program.setArguments({"-simulate"});
        program.setStandardOutputFile(QProcess::nullDevice());
        program.setStandardErrorFile(errorLog);
        program.start();
        QVERIFY(program.waitForStarted(10000));
        // The journal appears with the first sweeps; the scan then runs for 20 s.
        QTRY_VERIFY_WITH_TIMEOUT(!journals().isEmpty(), 60000);
        QTest::qWait(20000);
        QCOMPARE(program.state(), QProcess::Running);
        ::kill(pid_t(program.processId()), SIGKILL);
        const qint64 killedAt = QDateTime::currentMSecsSinceEpoch();
        QVERIFY(program.waitForFinished(10000));
        // Twenty seconds of scanning leave the terminal quiet: the protocol and Wi-Fi debug
        // lines are written only with -debug.
        const QByteArray terminalText = fileBytes(errorLog);
        QVERIFY2(terminalText.count('\n') < 20, terminalText.constData());
        QVERIFY2(!terminalText.contains("quorvex.comms"), terminalText.constData());

        QVERIFY2(journals().size() == 1, qPrintable(journals().join(", ")));
        const QString journal = QDir(JournalFormat::folder()).filePath(journals().first());
        const JournalReader::Result read = JournalReader::read(journal);
        QVERIFY2(read.isReadable(), qPrintable(read.problem));
        QVERIFY2(read.lastSweepMs >= killedAt - 2000,
                 qPrintable(QString("%1 ms lost").arg(killedAt - read.lastSweepMs)));
        // Every sweep the analyzer sent, in order, none missing: sweep k is the simulator's
        // k-th 2.4 GHz sweep of its default site.
        const RfSpectrumHistory &history = read.history;
        QVERIFY(history.samples.size() > 100);
        const SimulatedSweepGenerator site;
        // The 200 kHz step as the analyzer's 16.16 fixed-point format carries it.
        const double step = std::round(0.2 * 65536.0) / 65536.0;
        bool accessPoints = false;
        for (int k = 0; k < history.samples.size(); ++k) {
            QVERIFY2(history.samples.at(k).scan == site.sweep(2400.0, step, 501, quint64(k)),
                     qPrintable(QString("sweep %1 of %2").arg(k).arg(history.samples.size())));
            if (k > 0)
                QVERIFY(history.samples.at(k).timestamp >= history.samples.at(k - 1).timestamp);
            accessPoints = accessPoints || !history.samples.at(k).wifiAps.isEmpty();
        }
        QVERIFY(accessPoints);

        // The command line writes it out while no program holds it.
        QTemporaryDir dir;
        QProcess tarn;
        tarn.start(QUORVEX_TARN_BINARY, {"recover", "-o", dir.filePath("from-tarn.tarn")});
        QVERIFY(tarn.waitForFinished(60000));
        QCOMPARE(tarn.exitCode(), 0);

        // A run that ended before its first sweep was written left a header alone: it holds
        // nothing, and goes without a word.
        {
            QByteArray header;
            JournalEncoder().header(header, history, 1765200000000, "1.0");
            QFile empty(QDir(JournalFormat::folder()).filePath("900MHz_empty.journal"));
            QVERIFY(empty.open(QIODevice::WriteOnly) && empty.write(header) == header.size());
        }

        // The next start offers it; Recover opens it in a tab, and start-up carries on: the
        // analyzer is connected and scans, while the recovered scan waits in its tab.
        SimulatedAnalyzerSettings fast;
        fast.throttle = false;
        SimulatedAnalyzer sim(fast);
        QVERIFY(sim.start());
        QuietMainWindow window({{sim.portName(), "Quorvex"}});
        window.prompts->recoveryAnswer = {UserPrompts::RecoveryAnswer::Action::Recover, {0}};
        QTRY_COMPARE(window.prompts->recoveryOffers, QList<int>{1});
        QTabWidget *tabs = window.getUi()->tabWidget;
        QCOMPARE(tabs->count(), 3);
        QVERIFY(tabs->tabText(2).startsWith("Recovered 2.4 GHz"));
        TabPage *recovered = window.page(2);
        QCOMPARE(recovered->history(), history);
        QVERIFY(recovered->hasUnsavedChanges());
        QTRY_VERIFY_WITH_TIMEOUT(window.deviceComms()->scanning(), 15000);
        QTRY_VERIFY(window.page(0)->history().samples.size() > 3);
        QVERIFY(window.prompts->criticals.isEmpty());
        QCOMPARE(recovered->history(), history);
        window.getUi()->actionStop->trigger(); // asks whether to save the live scan: no
        QTRY_VERIFY(!window.deviceComms()->scanning());
        tabs->setCurrentIndex(2);

        // Saved from its tab, it is the file the command line wrote, and its journal goes.
        window.prompts->fileAnswers << QUrl::fromLocalFile(dir.filePath("from-window.tarn"));
        window.getUi()->actionSave->trigger();
        QCOMPARE(fileBytes(dir.filePath("from-window.tarn")),
                 fileBytes(dir.filePath("from-tarn.tarn")));
        QVERIFY(!fileBytes(dir.filePath("from-window.tarn")).isEmpty());
        QVERIFY(!recovered->hasUnsavedChanges());
        QVERIFY(!QFile::exists(journal));
        QCOMPARE(journals().size(), 1); // the live page's new scan
        // A kill in the middle of a write leaves an unfinished record: said, once.
        QCOMPARE(window.prompts->warnings.size(), read.damage.isEmpty() ? 0 : 1);
    }

    // The journal's disk fills up half-way through a scan (a file-size limit on the program):
    // the scan goes on, and once there is room again the journal is written anew with the
    // whole history, so that a kill after that recovers the whole scan.
    void diskFullHalfWay()
    {
        QDir(JournalFormat::folder()).removeRecursively();
        constexpr qint64 k_limit = 60000;
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QUORVEX_JOURNAL_RETRY_MS", "1000");
        program.setProcessEnvironment(environment);
        program.setStandardOutputFile(QProcess::nullDevice());
        program.setStandardErrorFile(QProcess::nullDevice());
        program.start("prlimit",
                      {QString("--fsize=%1:unlimited").arg(k_limit), QUORVEX_BINARY, "-simulate"});
        QVERIFY(program.waitForStarted(10000));
        const auto largest = [] {
            qint64 size = 0;
            for (const QFileInfo &info : QDir(JournalFormat::folder()).entryInfoList({"*.journal"}))
                size = qMax(size, info.size());
            return size;
        };
        QTRY_VERIFY_WITH_TIMEOUT(largest() >= k_limit - 2000, 60000);
        QTest::qWait(3000);
        QCOMPARE(program.state(), QProcess::Running);
        QVERIFY(largest() <= k_limit);

        rlimit room{RLIM_INFINITY, RLIM_INFINITY};
        QCOMPARE(::prlimit(pid_t(program.processId()), RLIMIT_FSIZE, &room, nullptr), 0);
        QTRY_VERIFY_WITH_TIMEOUT(largest() > k_limit + 10000, 20000);
        QTest::qWait(3000);
        ::kill(pid_t(program.processId()), SIGKILL);
        const qint64 killedAt = QDateTime::currentMSecsSinceEpoch();
        QVERIFY(program.waitForFinished(10000));

        QCOMPARE(journals().size(), 1);
        const JournalReader::Result read
            = JournalReader::read(QDir(JournalFormat::folder()).filePath(journals().first()));
        QVERIFY2(read.isReadable(), qPrintable(read.problem));
        QVERIFY2(read.lastSweepMs >= killedAt - 2000,
                 qPrintable(QString("%1 ms lost").arg(killedAt - read.lastSweepMs)));
        const SimulatedSweepGenerator site;
        const double step = std::round(0.2 * 65536.0) / 65536.0;
        // More than the limit let it hold: the whole scan, not what came after the room.
        QVERIFY2(read.validBytes > k_limit + 10000, qPrintable(QString::number(read.sweeps)));
        for (int k = 0; k < read.sweeps; ++k)
            QCOMPARE(read.history.samples.scan(k), site.sweep(2400.0, step, 501, quint64(k)));
    }

    // What a start offers: a journal another program holds is not offered, one read and
    // found empty goes, and those that cannot be read (a link to nowhere, bytes that are no
    // journal) are listed with the reason and left alone until the user discards them.
    void whatIsOffered()
    {
        const QString folder = JournalFormat::folder();
        QDir(folder).removeRecursively();
        RfSpectrumHistory scan;
        scan.freqInterval = QwtInterval(2400.0, 2500.0);
        for (int i = 0; i < 3; ++i)
            scan.samples.append({1765200000000 + 50 * i, RfSpectrumScan(501, qint8(-90)), {}});
        HistoryJournal left;
        QVERIFY(left.begin(scan, "1.0"));
        left.close();
        HistoryJournal held;
        QVERIFY(held.begin(scan, "1.0"));
        QVERIFY(held.flush());
        QByteArray header;
        JournalEncoder().header(header, scan, 1765200000000, "1.0");
        const auto write = [&folder](const QString &name, const QByteArray &bytes) {
            QFile file(QDir(folder).filePath(name));
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        };
        QVERIFY(write("empty.journal", header));
        QVERIFY(write("garbage.journal", QByteArray(200, 'x')));
        const QString loop = QDir(folder).filePath("loop.journal");
        QVERIFY(QFile::link(loop, loop));

        RecordingPrompts prompts;
        const auto open = [](const RfSpectrumHistory &, const QString &) {
            return static_cast<TabPage *>(nullptr);
        };
        QCOMPARE(JournalRecovery::offer(nullptr, prompts, open, folder), 0);
        QStringList offered;
        for (const JournalReader::Entry &entry : prompts.offeredJournals)
            offered << QFileInfo(entry.path).fileName() + ": "
                    + (entry.summary.isReadable() ? "readable" : entry.summary.problem);
        offered.sort();
        QCOMPARE(offered.size(), 3);
        QCOMPARE(offered.at(0), QFileInfo(left.path()).fileName() + ": readable");
        QVERIFY2(offered.at(1).startsWith("garbage.journal: it is not a scan journal"),
                 qPrintable(offered.at(1)));
        QVERIFY2(offered.at(2).startsWith("loop.journal: it cannot be opened"),
                 qPrintable(offered.at(2)));
        QVERIFY(!QFile::exists(QDir(folder).filePath("empty.journal")));
        QVERIFY(QFileInfo(loop).isSymLink()
                && QFile::exists(QDir(folder).filePath("garbage.journal")));

        // Discarded by the user, they go.
        prompts.recoveryAnswer = {UserPrompts::RecoveryAnswer::Action::Discard, {}};
        for (int row = 0; row < prompts.offeredJournals.size(); ++row) {
            if (!prompts.offeredJournals.at(row).summary.isReadable())
                prompts.recoveryAnswer.rows << row;
        }
        JournalRecovery::offer(nullptr, prompts, open, folder);
        QVERIFY(!QFileInfo(loop).isSymLink());
        QVERIFY(!QFile::exists(QDir(folder).filePath("garbage.journal")));
        QVERIFY(QFile::exists(left.path()) && QFile::exists(held.path()));
        held.discard();
        QFile::remove(left.path());
    }

    // A recording opened from a file: its edits are journalled, and a crash before Save loses
    // none of them. The command line and the window both recover the recording with its edits.
    void editsOfAnOpenedRecording()
    {
        QDir(JournalFormat::folder()).removeRecursively();
        QTemporaryDir dir;
        RfSpectrumHistory site;
        site.freqInterval = QwtInterval(2400.0, 2500.0);
        site.rssiInterval = QwtInterval(-100.0, -30.0);
        for (int i = 0; i < 20; ++i)
            site.samples.append({1765200000000 + 50 * i, RfSpectrumScan(501, qint8(-90 + i)), {}});
        const SpectroLabel oven{QPointF(2455.0, -60.0), "oven"};
        site.labels.append(oven);
        site.timeEvents.append({QDateTime::fromMSecsSinceEpoch(1765200000100), "doors"});
        const QString original = dir.filePath("hall.tarn");
        QString error;
        QVERIFY(RecordingFile::save(original, site, &error));

        RfSpectrumHistory edited;
        {
            QuietMainWindow window;
            QFile file(original);
            QVERIFY(window.openFile(file));
            TabPage *page = window.page(2);
            QVERIFY(!page->hasUnsavedChanges());
            emit page->waterfallPlot()->timeEventAdded(
                {QDateTime::fromMSecsSinceEpoch(1765200000700), "show starts"});
            emit page->spectroPlot()->spectroLabelAdded({QPointF(2437.0, -50.0), "stage AP"});
            emit page->spectroPlot()->spectroLabelRemoved(oven);
            QVERIFY(page->hasUnsavedChanges());
            QVERIFY(page->toolBar()->actions().contains(window.getUi()->actionSave));
            QVERIFY(page->journal()->flush());
            edited = page->history();
        } // gone without a word, as in a crash
        QCOMPARE(edited.labels.size(), 1);
        QCOMPARE(edited.timeEvents.size(), 2);
        QCOMPARE(journals().size(), 1);

        const TarnRun list = tarn({"recover", "--list"});
        QVERIFY2(list.out.contains("3 edits to " + original), qPrintable(list.out));
        QCOMPARE(tarn({"recover", "-o", dir.filePath("from-tarn.tarn")}).status, 0);
        RfSpectrumHistory fromTarn;
        QFile tarnFile(dir.filePath("from-tarn.tarn"));
        QVERIFY(RecordingFile::load(tarnFile, fromTarn).isEmpty());
        QCOMPARE(fromTarn, edited);

        QuietMainWindow window;
        window.prompts->recoveryAnswer = {UserPrompts::RecoveryAnswer::Action::Recover, {0}};
        QTRY_COMPARE(window.prompts->recoveryOffers, QList<int>{1});
        QCOMPARE(window.getUi()->tabWidget->tabText(2), QString("Recovered hall"));
        TabPage *recovered = window.page(2);
        QCOMPARE(recovered->history(), edited);
        QVERIFY(recovered->hasUnsavedChanges());
        window.getUi()->tabWidget->setCurrentIndex(2);
        window.prompts->fileAnswers << QUrl::fromLocalFile(original);
        window.getUi()->actionSave->trigger();
        QCOMPARE(fileBytes(original), fileBytes(dir.filePath("from-tarn.tarn")));
        QVERIFY(journals().isEmpty());
        // Edited again after the save, the page journals its edits to the file it was saved to.
        emit recovered->spectroPlot()->spectroLabelAdded({QPointF(2470.0, -70.0), "later"});
        QVERIFY(recovered->journal()->flush());
        const JournalReader::Recovered again
            = JournalReader::readForRecovery(recovered->journal()->path());
        QCOMPARE(again.journal.amendedPath, original);
        QCOMPARE(again.journal.history, recovered->history());
        recovered->journalKeeper()->discard();
    }
};

QUORVEX_TEST_MAIN(TestJournalRecovery)
#include "tst_journalrecovery.moc"
