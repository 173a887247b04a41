#include "MosquittoBroker.h"
#include "QuietMainWindow.h"
#include "QuorvexTest.h"
#include "SensorProcess.h"
#include "TarnRun.h"
#include "app/VenuePages.h"
#include "app/VenueSources.h"
#include "data/HistoryJournal.h"
#include "data/JournalReader.h"
#include "pages/PageTimeBar.h"
#include "pages/TabPage.h"
#include "pages/TavTabWidget.h"
#include "pages/VenuePage.h"
#include "venue/SensorTableModel.h"
#include "venue/VenueClient.h"

#include <QDockWidget>
#include <QPushButton>
#include <QTemporaryDir>

// The window at a venue: two sensor programs with simulated analyzers publish to a real broker;
// a window that joins late with "-venue" lists them in the Sensors dock and gives each a live page
// of its band holding its own simulator's sweeps, journalled under the sensor's name; a sensor that
// stops says so in the dock and on its page.
class TestVenueWindow : public QObject
{
    Q_OBJECT

    static QStringList sensorArguments(const QString &id, const QString &name, quint16 port,
                                       const QString &dir, int seed, int band)
    {
        return {"--id",       id,
                "--name",     name,
                "--broker",   QStringLiteral("mqtt://127.0.0.1:%1").arg(port),
                "--data-dir", dir,
                "--band",     QString::number(band),
                "--sim",      QStringLiteral("--seed %1").arg(seed)};
    }

    static QString cell(const SensorTableModel *model, const QString &id, int column)
    {
        const int row = model->rowOf(id);
        return row < 0 ? QString() : model->index(row, column).data().toString();
    }

private Q_SLOTS:
    void sensorsOnTheirPages()
    {
        MosquittoBroker broker;
        QVERIFY(broker.start());
        QTemporaryDir dir;
        SensorProcess north;
        SensorProcess south;
        QVERIFY(north.start(sensorArguments("north", "North stand", broker.port(),
                                            dir.filePath("north"), 5, 2400)));
        QVERIFY(south.start(
            sensorArguments("south", "South stand", broker.port(), dir.filePath("south"), 6, 900)));
        // The window joins late: what the sensors scanned before comes as a replay, at once.
        QVERIFY(north.waitForLog("scanning 2400 MHz") && south.waitForLog("scanning 900 MHz"));
        QTest::qWait(3000);

        QuietMainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.parseArgs(
            {"quorvex", "-venue", QStringLiteral("mqtt://127.0.0.1:%1").arg(broker.port())},
            nullptr);
        VenueSources *venue = window.venueSources();
        QVERIFY(!venue->dock()->isHidden());
        const SensorTableModel *model = venue->model();
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         return cell(model, "north", SensorTableModel::State) == "scanning"
                             && cell(model, "south", SensorTableModel::State) == "scanning";
                     },
                     60000),
                 qPrintable(north.log() + south.log()));
        QCOMPARE(cell(model, "north", SensorTableModel::Name), QString("North stand"));
        QCOMPARE(cell(model, "south", SensorTableModel::Band), QString("900 MHz"));

        // Each page holds its own sensor's sweeps, from the first, in the order of their numbers.
        const struct
        {
            const char *id;
            int band;
            quint32 seed;
            const char *title;
        } sensors[]
            = {{"north", 2400, 5, "North stand 2.4 GHz"}, {"south", 900, 6, "South stand 900 MHz"}};
        for (const auto &sensor : sensors) {
            QVERIFY(QTest::qWaitFor([&] { return venue->pageOf(sensor.id, sensor.band); }, 30000));
            TabPage *page = venue->pageOf(sensor.id, sensor.band);
            QVERIFY(QTest::qWaitFor([&] { return page->history().samples.size() >= 30; }, 60000));
            const SampleStore &samples = page->history().samples;
            // The view follows the newest sweep.
            QCOMPARE(page->visibleRange().second, samples.size());
            for (int k = 0; k < 30; ++k) {
                const QByteArray shown(reinterpret_cast<const char *>(samples.values(k)),
                                       samples.columns());
                QCOMPARE(shown, simulatedSweep(sensor.seed, sensor.band, quint64(k)));
            }
            TavTabWidget *tabs = window.tabWidget();
            QCOMPARE(tabs->tabText(tabs->indexOf(page)), QString(sensor.title));
            QVERIFY(tabs->isTabEnabled(tabs->indexOf(page)));
            // Journalled like a local scan, under the sensor's name.
            QVERIFY(page->hasUnsavedChanges());
            QVERIFY(page->journal() && page->journal()->flush());
            QCOMPARE(JournalReader::read(page->journal()->path()).history.projectInfo.scanLocation,
                     QString(sensor.title).section(' ', 0, 1));
        }
        const TarnRun listed = tarn({"recover", "--list"});
        QVERIFY2(listed.out.contains("at North stand") && listed.out.contains("at South stand"),
                 qPrintable(listed.out));

        // The venue page of 2.4 GHz shows the North stand (the analyzer here has no sweeps).
        VenuePage *venue2400 = window.venuePages()->show(2400);
        QCOMPARE(window.tabWidget()->currentWidget(), venue2400);
        QCOMPARE(venue2400->sourceNames(), QStringList{"North stand"});
        QVERIFY(venue2400->loudest().size() > 0);

        // Every source to 900 MHz from the venue page: the Band column shows who followed, the
        // North stand gets a 900 MHz page while its 2.4 GHz page says where it went, and the
        // venue page of 900 MHz shows both and says they followed.
        QTest::mouseClick(venue2400->bandButton(900), Qt::LeftButton);
        VenuePage *venue900 = window.venuePages()->pageOf(900);
        QVERIFY(venue900);
        QCOMPARE(window.tabWidget()->currentWidget(), venue900);
        QVERIFY(QTest::qWaitFor(
            [&] { return cell(model, "north", SensorTableModel::Band) == "900 MHz"; }, 60000));
        QVERIFY(QTest::qWaitFor([&] { return venue->pageOf("north", 900); }, 30000));
        QVERIFY(QTest::qWaitFor(
            [&] {
                const QString note = venue900->followNote();
                return venue900->sourceNames().size() == 2 && note.startsWith("On 900 MHz: ")
                    && note.contains("North stand") && note.contains("South stand")
                    && !note.contains("not yet");
            },
            30000));
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         return venue->pageOf("north", 2400)->bottomBar()->note()
                             == "North stand scans the other band now";
                     },
                     30000),
                 qPrintable(north.log()));
        QCOMPARE(cell(model, "south", SensorTableModel::Band), QString("900 MHz"));

        // Stopped: the dock and the page say so; the other goes on.
        QCOMPARE(south.stop(), 0);
        QVERIFY(QTest::qWaitFor(
            [&] { return cell(model, "south", SensorTableModel::State) != "scanning"; }, 30000));
        TabPage *southPage = venue->pageOf("south", 900);
        QVERIFY(QTest::qWaitFor(
            [&] { return southPage->bottomBar()->note().startsWith("South stand"); }, 30000));
        QVERIFY(!venue->pageOf("north", 900)->bottomBar()->note().startsWith("North"));
        QVERIFY2(venue->lastProblem().isEmpty(), qPrintable(venue->lastProblem()));
    }

    // An address that is not a broker's: said in the dock, nothing connected.
    void aWrongAddress()
    {
        QuietMainWindow window;
        window.parseArgs({"quorvex", "-venue", "http://desk:1883"}, nullptr);
        VenueSources *venue = window.venueSources();
        QVERIFY(!venue->dock()->isHidden());
        QCOMPARE(venue->lastProblem(),
                 QString("Cannot connect to the venue: the broker must be given as "
                         "mqtt://HOST[:PORT] or mqtts://HOST[:PORT]"));
        QVERIFY(!venue->client()->isConnected());
    }
};

QUORVEX_TEST_MAIN(TestVenueWindow)
#include "tst_venuewindow.moc"
