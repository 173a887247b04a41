#include "QuietMainWindow.h"
#include "QuorvexTest.h"
#include "app/FileLocations.h"
#include "app/ProjectInfoDialog.h"
#include "data/Constants.h"
#include "data/RecordingFile.h"
#include "networks/VexaIdOverlay.h"
#include "networks/VexaIdPanel.h"
#include "pages/TabPage2400.h"
#include "pages/TabPage900.h"
#include "ui_MainWindow.h"
#include "ui_ProjectInfoDialog.h"
#include "widgets/RangeSlider.h"

#include <QBuffer>
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QSettings>
#include <QToolBar>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr qint64 k_t0 = 1765200000000;

// A live page's run: sweeps with access points, an event, a label.
void record(TabPage *page, int sweeps, int size)
{
    WifiApInfo ap;
    ap.bssid = "02:00:00:00:00:07";
    ap.ssid = "Stage";
    ap.frequency = 2437;
    ap.width = 20;
    ap.rssi = -55;
    ap.color = QColor(10, 200, 30);
    // Access points on the 2.4 GHz band only, as the pages do.
    const WifiScan aps = size == 501 ? WifiScan{ap} : WifiScan();
    for (int i = 0; i < sweeps; ++i)
        page->addNewSpectrumSample(
            RfSpectrumSample{k_t0 + 250 * i, RfSpectrumScan(size, qint8(-90 + i % 30)), aps});
    page->onTimeEventAdded(TimeEvent{QDateTime::fromMSecsSinceEpoch(k_t0 + 1000), "Doors"});
    page->onSpectroLabelAdded(SpectroLabel{QPointF(2437.0, -55.0), "Stage AP"});
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void setProject(MainWindow &window, const QString &name)
{
    window.projectInfoDialog()->getUi()->edtProjectName->setText(name);
    window.setProjectInfoToHist();
}

} // namespace

// Saving, opening and snapshots from the main window, with the file dialogs answered.
class TestRecordings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QSettings().clear(); }

    void saveThenOpen()
    {
        QTemporaryDir dir;
        QuietMainWindow window;
        Ui::MainWindow *ui = window.getUi();
        setProject(window, "Arena");
        TabPage *live = window.page(0);
        record(live, 40, 501);
        const RfSpectrumHistory saved = live->hist();

        // Saved without an extension: ".tarn" is added and the folder remembered.
        window.prompts->fileAnswers = {QUrl::fromLocalFile(dir.filePath("site"))};
        ui->actionSave->trigger();
        QCOMPARE(window.prompts->fileDialogs.size(), 1);
        QVERIFY2(
            QRegularExpression("^Save Recording\\|.+/Arena_2400MHz_\\d{4}-\\d\\d-\\d\\dT\\d{6}$")
                .match(window.prompts->fileDialogs.first())
                .hasMatch(),
            qPrintable(window.prompts->fileDialogs.first()));
        QVERIFY(QFileInfo::exists(dir.filePath("site.tarn")));
        QCOMPARE(FileLocations::folder(FileLocations::Kind::Recording), dir.path());

        window.prompts->fileAnswers = {QUrl::fromLocalFile(dir.filePath("site.tarn"))};
        ui->actionOpen->trigger();
        QCOMPARE(window.prompts->fileDialogs.last(), "Open Recording|" + dir.path());
        QCOMPARE(ui->tabWidget->count(), 3);
        QCOMPARE(ui->tabWidget->currentIndex(), 2);
        QCOMPARE(ui->tabWidget->tabText(2), QString("site"));
        QCOMPARE(ui->tabWidget->tabToolTip(2), QString("site"));
        auto *opened = qobject_cast<TabPage2400 *>(window.page(2));
        QVERIFY(opened && opened->isPlayback());
        const RfSpectrumHistory read = opened->hist();
        QCOMPARE(read.freqInterval, saved.freqInterval);
        QCOMPARE(read.rssiInterval, saved.rssiInterval);
        QCOMPARE(read.samples.toList(), saved.samples.toList());
        QCOMPARE(read.samples.accessPoints(read.samples.size() - 1),
                 saved.samples.accessPoints(saved.samples.size() - 1));
        QCOMPARE(read.timeEvents, saved.timeEvents);
        QCOMPARE(read.labels, saved.labels);
        QCOMPARE(read.projectInfo, saved.projectInfo);
        QVERIFY(opened->showWifiAction());
        QVERIFY(window.prompts->criticals.isEmpty());

        // The recording tab names its own band; its project name leads the file name.
        window.prompts->fileAnswers.clear();
        ui->actionSave->trigger();
        QVERIFY(window.prompts->fileDialogs.last().contains("/Arena_2400MHz_"));
        ui->tabWidget->setCurrentIndex(1);
        ui->actionSnapshot->trigger();
        QVERIFY(window.prompts->fileDialogs.last().contains("/Arena_900MHz_"));
        // Without a project name: the application's name.
        setProject(window, QString());
        ui->actionSave->trigger();
        QVERIFY(window.prompts->fileDialogs.last().contains("/Quorvex_900MHz_"));

        // A closed recording tab goes with its page.
        QPointer<TabPage> closing = opened;
        emit ui->tabWidget->tabCloseRequested(2);
        QCOMPARE(ui->tabWidget->count(), 2);
        QTRY_VERIFY(closing.isNull());
    }

    void fileNames_data()
    {
        QTest::addColumn<bool>("snapshot");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::newRow("recording without extension") << false << "a"
                                                     << "a.tarn";
        QTest::newRow("recording in capitals") << false << "b.TARN"
                                               << "b.TARN.tarn";
        QTest::newRow("recording with extension") << false << "c.tarn"
                                                  << "c.tarn";
        QTest::newRow("snapshot as JPEG") << true << "d.jpg"
                                          << "d.jpg.png";
        QTest::newRow("snapshot") << true << "e.png"
                                  << "e.png";
    }

    void fileNames()
    {
        QFETCH(bool, snapshot);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QTemporaryDir dir;
        QuietMainWindow window;
        window.resize(900, 600);
        window.show();
        record(window.page(0), 5, 501);
        window.prompts->fileAnswers = {QUrl::fromLocalFile(dir.filePath(typed))};
        (snapshot ? window.getUi()->actionSnapshot : window.getUi()->actionSave)->trigger();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{written});
        const QByteArray bytes = contents(dir.filePath(written));
        if (snapshot) {
            QVERIFY(bytes.startsWith("\x89PNG\r\n\x1a\n"));
            QCOMPARE(FileLocations::folder(FileLocations::Kind::Snapshot), dir.path());
        } else {
            QFile file(dir.filePath(written));
            RfSpectrumHistory read;
            QVERIFY(RecordingFile::load(file, read).isEmpty());
            QCOMPARE(read.samples.size(), 5);
        }
    }

    // A cancelled dialog or a location that is not a local file writes nothing and leaves the
    // remembered folders; a folder stored as a URL reads as that folder.
    void cancelledAndRemembered()
    {
        QuietMainWindow window;
        QSettings().setValue("RecordingLocation", QUrl::fromLocalFile("/srv/surveys").toString());
        QCOMPARE(FileLocations::folder(FileLocations::Kind::Recording), QString("/srv/surveys"));
        window.prompts->fileAnswers = {QUrl(), QUrl("https://tavorin.example/x.tarn"), QUrl()};
        window.getUi()->actionSave->trigger();
        window.getUi()->actionSave->trigger();
        window.getUi()->actionOpen->trigger();
        QCOMPARE(window.prompts->fileDialogs.size(), 3);
        QVERIFY(window.prompts->fileDialogs.first().startsWith("Save Recording|/srv/surveys/"));
        QCOMPARE(window.getUi()->tabWidget->count(), 2);
        QVERIFY(window.prompts->criticals.filter("Unable to open").isEmpty());
        QCOMPARE(QSettings().value("RecordingLocation").toString(),
                 QUrl::fromLocalFile("/srv/surveys").toString());
        QVERIFY(!QSettings().contains("SnapshotLocation"));
    }

    // A recording that cannot be written says so, naming the file, and an existing file of
    // that name stays as it was. The disk refusing the bytes is made real with a file-size
    // limit (which binds the superuser too); a read-only folder where the user is not one.
    void saveFailure_data()
    {
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::addColumn<int>("shortBy");
        QTest::newRow("disk refuses the bytes") << false << -1;
        // Only the last bytes, written out of the file's buffer when the save completes.
        QTest::newRow("disk refuses the last bytes") << false << 100;
        if (geteuid() != 0)
            QTest::newRow("read-only folder") << true << -1;
    }

    void saveFailure()
    {
        QFETCH(bool, readOnlyFolder);
        QFETCH(int, shortBy);
        QTemporaryDir dir;
        const QString path = dir.filePath("keep.tarn");
        QFile existing(path);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("an earlier recording");
        existing.close();

        QuietMainWindow window;
        record(window.page(0), 200, 501);
        window.prompts->fileAnswers = {QUrl::fromLocalFile(path)};
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        if (readOnlyFolder) {
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        } else {
            rlimit small = saved;
            small.rlim_cur = 4096;
            if (shortBy > 0) {
                // The size the recording takes, less a few bytes.
                const QString whole = dir.filePath("whole.tarn");
                QVERIFY(RecordingFile::save(whole, window.page(0)->hist(), nullptr));
                small.rlim_cur = rlim_t(QFileInfo(whole).size() - shortBy);
                QVERIFY(QFile::remove(whole));
            }
            setrlimit(RLIMIT_FSIZE, &small);
        }
        window.getUi()->actionSave->trigger();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QCOMPARE(window.prompts->criticals.size(), 1);
        QVERIFY2(window.prompts->criticals.first().startsWith(
                     "The recording was not saved. Unable to write " + path + ": "),
                 qPrintable(window.prompts->criticals.first()));
        QCOMPARE(contents(path), QByteArray("an earlier recording"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.tarn"});
        QVERIFY(!QSettings().contains("RecordingLocation"));

        window.prompts->fileAnswers = {QUrl::fromLocalFile(dir.filePath("no/such/shot"))};
        window.getUi()->actionSnapshot->trigger();
        QCOMPARE(window.prompts->criticals.size(), 2);
        QVERIFY(window.prompts->criticals.last().startsWith(
            "The snapshot was not saved. Unable to write " + dir.filePath("no/such/shot.png")));
        QVERIFY(!QSettings().contains("SnapshotLocation"));
    }

    // Recommend on a recording: the quietest plan of the window in view is selected and drawn,
    // and panning to a stretch where another range is busy changes the choice.
    void recommendationFollowsTheWindow()
    {
        RfSpectrumHistory history;
        history.freqInterval = QwtInterval(2400.0, 2500.0);
        history.rssiInterval = QwtInterval(-100.0, -30.0);
        for (int s = 0; s < 1200; ++s) {
            RfSpectrumScan scan(501, qint8(-95));
            // The first half busy low in the band, the second half busy high.
            const int from = s < 600 ? 0 : 250;
            for (int j = from; j <= from + 200; ++j)
                scan[j] = qint8(-55);
            history.samples << RfSpectrumSample{k_t0 + 250 * s, scan, {}};
        }
        QTemporaryDir dir;
        QString error;
        QVERIFY(RecordingFile::save(dir.filePath("two halves.tarn"), history, &error));
        QuietMainWindow window;
        QFile file(dir.filePath("two halves.tarn"));
        QVERIFY(window.openFile(file));
        TabPage *recording = window.page(2);
        VexaIdPanel *panel = window.getUi()->dockWidgetContentsVexaIds;
        window.getUi()->actionVarsa_VexaIds->setChecked(true);
        QTest::mouseClick(panel->recommendBox(), Qt::LeftButton, {},
                          QPoint(8, panel->recommendBox()->height() / 2));
        QVERIFY(panel->recommending());
        // The newest two minutes lie in the second half: the low range is the quiet one.
        const int late = panel->recommendedId();
        QVERIFY2(late == 24110 || late == 24210, qPrintable(QString::number(late)));
        QVERIFY(recording->vexaIdOverlay()->selectedIds().contains(late));
        QVERIFY(panel->recommendationLabel()->text().startsWith(QString("Best: %1").arg(late)));
        QVERIFY(
            panel->model()->data(panel->model()->index(2, 0), VexaIdModel::ShareRole).isValid());

        recording->timeBar()->setLowerValue(0);
        recording->timeBar()->setUpperValue(480);
        const int early = panel->recommendedId();
        QVERIFY(early != late);
        QVERIFY(VexaIdDesc(Constants::k_vexaIdMap.value(early)).lowerEdge() > 2440.0);
        QVERIFY(recording->vexaIdOverlay()->selectedIds().contains(early));
        QVERIFY(!recording->vexaIdOverlay()->selectedIds().contains(late));
    }

    // Files that are not recordings, or are damaged, are named in a message and open no
    // tab; one cut short opens with what it holds and a warning.
    void filesThatDoNotOpen()
    {
        QTemporaryDir dir;
        QuietMainWindow window;
        record(window.page(1), 6, 252);
        RfSpectrumHistory history = window.page(1)->hist();
        history.freqInterval = QwtInterval(902.0, 928.0);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(RecordingFile::write(buffer, history));

        const auto write = [&dir](const QString &name, const QByteArray &data) {
            QFile file(dir.filePath(name));
            file.open(QIODevice::WriteOnly);
            file.write(data);
            return file.fileName();
        };
        const QString foreign = write("foreign.tarn", QByteArray(200, '\0'));
        QByteArray forged = bytes;
        forged[41] = char(0x10); // a sample count of a million in a small file
        const QString damaged = write("damaged.tarn", forged);
        const QString cut = write("cut.tarn", bytes.left(44 + 3 * 268 + 100));

        QTest::ignoreMessage(QtCriticalMsg, "The file loaded has a wrong frequency interval");
        QFile foreignFile(foreign);
        QVERIFY(!window.openFile(foreignFile));
        QFile damagedFile(damaged);
        QVERIFY(!window.openFile(damagedFile));
        QFile missing(dir.filePath("missing.tarn"));
        QVERIFY(!window.openFile(missing));
        QCOMPARE(window.getUi()->tabWidget->count(), 2);
        const QStringList criticals = window.prompts->criticals.filter("Unable to open");
        QCOMPARE(criticals.size(), 3);
        QVERIFY(criticals.at(0).startsWith("Unable to open " + foreign
                                           + ": it is not a recording of either band"));
        QCOMPARE(criticals.at(1),
                 "Unable to open " + damaged + ": the file is damaged after 0 whole sweeps.");
        QVERIFY(criticals.at(2).startsWith("Unable to open " + missing.fileName()
                                           + ": it cannot be opened ("));

        QFile cutFile(cut);
        QVERIFY(window.openFile(cutFile));
        QCOMPARE(window.page(2)->hist().samples.size(), 3);
        QCOMPARE(window.prompts->warnings,
                 QStringList{cut + " ends early: it is shown with the 3 sweeps it holds."});
    }

    // Report writes a PDF of what the page shows on another thread; the window says where it went.
    void reportInTheBackground()
    {
        RfSpectrumHistory history;
        history.freqInterval = QwtInterval(902.0, 928.0);
        history.rssiInterval = QwtInterval(-100.0, -30.0);
        for (int s = 0; s < 500; ++s)
            history.samples << RfSpectrumSample{k_t0 + 46 * s, RfSpectrumScan(252, qint8(-90)), {}};
        QTemporaryDir dir;
        QString error;
        QVERIFY(RecordingFile::save(dir.filePath("hall.tarn"), history, &error));
        QuietMainWindow window;
        QFile file(dir.filePath("hall.tarn"));
        QVERIFY(window.openFile(file));
        QAction *report = nullptr;
        for (QAction *action : window.page(2)->toolBar()->actions())
            report = action->text() == "Report" ? action : report;
        QVERIFY(report);
        window.prompts->fileAnswers << QUrl::fromLocalFile(dir.filePath("hall report"));
        report->trigger();
        QVERIFY(window.prompts->fileDialogs.last().startsWith("Save Report|"));
        QTRY_COMPARE_WITH_TIMEOUT(window.prompts->informations.size(), 1, 30000);
        QCOMPARE(window.prompts->informations.first(),
                 "The report was saved to " + dir.filePath("hall report.pdf") + ".");
        QFile pdf(dir.filePath("hall report.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");
        QVERIFY(
            QSettings().value("ReportLocation").toString().endsWith(QDir(dir.path()).dirName()));
    }

    // Opening a long recording reports its progress; cancelled, nothing opens and nothing is
    // said; let be, it opens whole.
    void longRecordingCancelled()
    {
        RfSpectrumHistory history;
        history.freqInterval = QwtInterval(902.0, 928.0);
        history.rssiInterval = QwtInterval(-100.0, -30.0);
        for (int s = 0; s < 20000; ++s)
            history.samples << RfSpectrumSample{k_t0 + 46 * s, RfSpectrumScan(252, qint8(-90)), {}};
        QTemporaryDir dir;
        QString error;
        QVERIFY(RecordingFile::save(dir.filePath("show.tarn"), history, &error));
        QuietMainWindow window;
        QTRY_COMPARE(window.prompts->criticals.size(), 1); // its start-up is over
        window.prompts->cancelProgressAfter = 2;
        QFile file(dir.filePath("show.tarn"));
        QVERIFY(!window.openFile(file));
        QCOMPARE(window.prompts->progressUpdates, 3);
        QCOMPARE(window.getUi()->tabWidget->count(), 2);
        QCOMPARE(window.prompts->criticals.size(), 1);
        QVERIFY(window.prompts->warnings.isEmpty());

        window.prompts->cancelProgressAfter = -1;
        QVERIFY(window.openFile(file));
        QCOMPARE(window.page(2)->history(), history);
        QVERIFY(window.prompts->progressUpdates >= 3 + 20000 / 4096);
    }
};

QUORVEX_TEST_MAIN(TestRecordings)
#include "tst_recordings.moc"
