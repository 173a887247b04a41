#include "QuietMainWindow.h"
#include "QuorvexTest.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "data/HistoryJournal.h"
#include "data/RecordingFile.h"
#include "ui_MainWindow.h"

#include <QLocalServer>
#include <QProcess>
#include <QStatusBar>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Leaves a socket file behind as a crashed instance does: bound, never unlinked, nobody listens.
bool makeStaleSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (size_t(name.size()) >= sizeof(address.sun_path)) {
        ::close(fd);
        return false;
    }
    memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound && QFileInfo::exists(path);
}

QString writeRecording(const QTemporaryDir &dir)
{
    RfSpectrumHistory history;
    history.freqInterval = QwtInterval(2400.0, 2500.0);
    history.rssiInterval = QwtInterval(-100.0, -30.0);
    const QString path = dir.filePath("site survey.tarn");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !RecordingFile::write(file, history))
        return QString();
    return path;
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private:
    // Runs the real program as a second start (in `folder`, when given) and returns its exit
    // code.
    int runSecondInstance(const QStringList &args, const QString &folder = QString())
    {
        QProcess second;
        second.setWorkingDirectory(folder);
        second.setProgram(QUORVEX_BINARY);
        second.setArguments(args);
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        second.start();
        if (!second.waitForStarted(10000))
            return -1;
        // Keep this event loop running: it is the first instance's.
        QElapsedTimer timer;
        timer.start();
        while (second.state() != QProcess::NotRunning && timer.elapsed() < 60000)
            QTest::qWait(20);
        if (second.state() != QProcess::NotRunning) {
            second.kill();
            second.waitForFinished();
            return -2;
        }
        return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -3;
    }

private Q_SLOTS:
    void serverNameInRuntimeDir()
    {
        QCOMPARE(SingleInstance::serverName(),
                 qEnvironmentVariable("XDG_RUNTIME_DIR") + "/Quorvex");
    }

    void decodeLine()
    {
        QCOMPARE(SingleInstance::decodeLine("/tmp/a b.tarn\n"), QString("/tmp/a b.tarn"));
        QCOMPARE(SingleInstance::decodeLine("caf\xc3\xa9\n"), QString("caf\u00e9"));
        QCOMPARE(SingleInstance::decodeLine(QByteArray("-qc\0junk\n", 9)), QString("-qc"));
    }

    void secondStartHandsOverRecording()
    {
        QTemporaryDir dir;
        const QString recording = writeRecording(dir);
        QVERIFY(!recording.isEmpty());

        QuietMainWindow first;
        QSignalSpy opened(&first, &MainWindow::recordingOpened);
        QCOMPARE(runSecondInstance({recording, "-ampl", "4", "-qc"}), 0);
        QTRY_COMPARE(opened.count(), 1);
        QCOMPARE(opened.at(0).at(0).toString(), recording);
        QCOMPARE(first.amplOffset(), 4);
        // A hand-off never changes the mode; the running window says why.
        QVERIFY(!first.qcMode());
        QVERIFY(first.statusBar()->currentMessage().contains("QC mode is set only when"));
        // In a new tab, in front.
        QTabWidget *tabs = first.getUi()->tabWidget;
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(2), QString("site survey"));
        QCOMPARE(tabs->currentIndex(), 2);

        // Typed in another folder, the name is that folder's file; option values stay.
        QCOMPARE(runSecondInstance({"site survey.tarn", "-port", "site survey.tarn"}, dir.path()),
                 0);
        QTRY_COMPARE(opened.count(), 2);
        QCOMPARE(opened.at(1).at(0).toString(), recording);
        QCOMPARE(tabs->count(), 4);
        QCOMPARE(first.portOverride(), QString("site survey.tarn"));
    }

    // A second start only hands over; the scans a run left unsaved are the first one's to offer.
    void secondStartWithoutArguments()
    {
        QuietMainWindow first;
        QTRY_COMPARE(first.prompts->criticals.size(), 1); // its start-up is over
        RfSpectrumHistory left;
        left.freqInterval = QwtInterval(902.0, 928.0);
        left.samples.append({1765200000000, RfSpectrumScan(252, -90), {}});
        HistoryJournal journal;
        QVERIFY(journal.begin(left, "1.0"));
        journal.close();
        const qint64 size = QFileInfo(journal.path()).size();
        QSignalSpy opened(&first, &MainWindow::recordingOpened);
        QCOMPARE(runSecondInstance({}), 0);
        QTest::qWait(100);
        QCOMPARE(opened.count(), 0);
        QVERIFY(!first.debugMode());
        QCOMPARE(QFileInfo(journal.path()).size(), size);
        QVERIFY(!HistoryJournal::isInUse(journal.path()));
        journal.discard();
    }

    void staleSocketIsReplaced()
    {
        const QString name = SingleInstance::serverName();
        QFile::remove(name);
        QVERIFY(makeStaleSocket(name));
        QVERIFY(!SingleInstance::handOff({"quorvex"}, 200));

        QTemporaryDir dir;
        const QString recording = writeRecording(dir);
        QuietMainWindow first;
        QSignalSpy opened(&first, &MainWindow::recordingOpened);
        QCOMPARE(runSecondInstance({recording}), 0);
        QTRY_COMPARE(opened.count(), 1);
    }

    void liveInstanceKeepsItsName()
    {
        QLocalServer live;
        QVERIFY(SingleInstance::listen(live));
        QLocalServer other;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Another instance listens"));
        QVERIFY(!SingleInstance::listen(other));
        QVERIFY(live.isListening());
    }
};

QUORVEX_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
