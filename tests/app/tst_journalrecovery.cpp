#include "QuietMainWindow.h"
#include "QuorvexTest.h"
#include "data/JournalEncoder.h"
#include "data/JournalFormat.h"
#include "data/JournalReader.h"
#include "data/RecordingFile.h"
#include "pages/TabPage.h"
#include "sim/SimulatedSweepGenerator.h"
#include "ui_MainWindow.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <signal.h>

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

        QCOMPARE(journals().size(), 1);
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
            QCOMPARE(history.samples.at(k).scan, site.sweep(2400.0, step, 501, quint64(k)));
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

        // The next start offers it; Recover opens it in a tab, and connects to nothing.
        QuietMainWindow window;
        window.prompts->recoveryAnswer = {UserPrompts::RecoveryAnswer::Action::Recover, {0}};
        QTRY_COMPARE(window.prompts->recoveryOffers, QList<int>{1});
        QTabWidget *tabs = window.getUi()->tabWidget;
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->currentIndex(), 2);
        QVERIFY(tabs->tabText(2).startsWith("Recovered 2.4 GHz"));
        TabPage *recovered = window.page(2);
        QCOMPARE(recovered->history(), history);
        QVERIFY(recovered->hasUnsavedChanges());
        QTest::qWait(200);
        QVERIFY(window.prompts->criticals.isEmpty());
        QVERIFY(!window.deviceComms()->busy() && !window.deviceComms()->connected());

        // Saved from its tab, it is the file the command line wrote, and its journal goes.
        window.prompts->fileAnswers << QUrl::fromLocalFile(dir.filePath("from-window.tarn"));
        window.getUi()->actionSave->trigger();
        QCOMPARE(fileBytes(dir.filePath("from-window.tarn")),
                 fileBytes(dir.filePath("from-tarn.tarn")));
        QVERIFY(!fileBytes(dir.filePath("from-window.tarn")).isEmpty());
        QVERIFY(!recovered->hasUnsavedChanges());
        QVERIFY(journals().isEmpty());
        // A kill in the middle of a write leaves an unfinished record: said, once.
        QCOMPARE(window.prompts->warnings.size(), read.damage.isEmpty() ? 0 : 1);
    }
};

QUORVEX_TEST_MAIN(TestJournalRecovery)
#include "tst_journalrecovery.moc"
