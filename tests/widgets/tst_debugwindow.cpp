#include "QuietMainWindow.h"
#include "QuorvexTest.h"
#include "sim/SimulatedAnalyzer.h"
#include "ui_DebugWindow.h"
#include "ui_MainWindow.h"
#include "widgets/DebugWindow.h"

#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>

namespace {

// Sets up a console's companion widget before its button is clicked.
using Prepare = std::function<void(Ui::DebugWindow *)>;

} // namespace
Q_DECLARE_METATYPE(Prepare)

// The console of debug mode against the simulated analyzer: its buttons, with real clicks,
// reach the analyzer as frames; its log shows the traffic with time stamps, keeps the newest
// lines only and is saved to a file.
class TestDebugWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<SimulatedAnalyzer> m_sim;
    std::unique_ptr<QuietMainWindow> m_window;

    DebugWindow *console() const { return m_window->debugWindow(); }

private Q_SLOTS:
    void initTestCase()
    {
        SimulatedAnalyzerSettings settings;
        settings.throttle = false;
        m_sim = std::make_unique<SimulatedAnalyzer>(settings);
        QVERIFY(m_sim->start());
        // Two ports: the start-up's Connect asks, and the answer (none) cancels it.
        m_window = std::make_unique<QuietMainWindow>(
            DeviceComms::PortList{{"ttyS0", "16550A"}, {m_sim->portName(), "Quorvex"}});
        m_window->show();
        m_window->parseArgs({"quorvex", "-debug"}, nullptr);
        QVERIFY(console());
        QTRY_COMPARE(m_window->prompts->choiceLists.size(), 1);

        // Choosing a port sets the controller's port and connects nothing.
        QComboBox *ports = console()->getUi()->cbSerialPort;
        QCOMPARE(ports->count(), 2);
        QCOMPARE(ports->currentIndex(), -1);
        QSignalSpy received(m_sim.get(), &SimulatedAnalyzer::commandReceived);
        ports->setFocus();
        QTest::keyClick(ports, Qt::Key_Down);
        QTest::keyClick(ports, Qt::Key_Down);
        QCOMPARE(ports->currentText(), m_sim->portName());
        QCOMPARE(m_window->deviceComms()->portName(), m_sim->portName());
        QTest::qWait(200);
        QVERIFY(received.isEmpty());
        QVERIFY(!m_window->deviceComms()->connected());
    }

    void cleanupTestCase()
    {
        m_window.reset();
        m_sim.reset();
    }

    void placement()
    {
        QCOMPARE(console()->windowTitle(), QString("Debug Window"));
        QVERIFY(console()->isWindow() && console()->isVisible());
        // 500 pixels, or what its buttons need in this font.
        QCOMPARE(console()->width(), qMax(500, console()->minimumSizeHint().width()));
        QCOMPARE(console()->height(),
                 qMax(m_window->height(), console()->minimumSizeHint().height()));
        // Right of the window, kept on the screen (the offscreen screen is 800 px wide).
        const QRect screen = m_window->screen()->availableGeometry();
        const int right = m_window->x() + m_window->width() + 5;
        QCOMPARE(console()->x(),
                 qMin(right, screen.right() + 1 - console()->frameGeometry().width()));
        QCOMPARE(console()->y(), m_window->y());
        QVERIFY(screen.contains(console()->frameGeometry().topLeft()));
        // Whatever font stands in for Consolas, its letters are equally wide.
        const QFontMetrics metrics(console()->getUi()->logText->font());
        QCOMPARE(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('W'));
    }

    void buttonsSendFrames_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<Prepare>("prepare");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("logged");
        const Prepare none = [](Ui::DebugWindow *) {};
        QTest::newRow("connect") << "pbConnect" << none << 0x01 << QByteArray() << "<< 2a000195";
        QTest::newRow("device version")
            << "pbGetDevVer" << none << 0x03 << QByteArray() << "Device Version: Quorvex";
        QTest::newRow("firmware version")
            << "pbGetFwVer" << none << 0x04 << QByteArray() << "Firmware Version: 1.0.0.9.0.0";
        QTest::newRow("900 RF params") << "pbGet900RfParams" << none << 0x05
                                       << QByteArray::fromHex("00") << "RF Params - RBW Count:";
        QTest::newRow("2.4 RF params")
            << "pbGet24RfParams" << none << 0x05 << QByteArray::fromHex("01") << "Entry 0 - RBW:";
        QTest::newRow("last error")
            << "pbGetLastError" << none << 0x06 << QByteArray() << "Last Error: ";
        QTest::newRow("sync") << "pbSync" << none << 0x07 << QByteArray() << ">> 2a0007";
        QTest::newRow("900 MHz band")
            << "rbBand900" << none << 0x14 << QByteArray::fromHex("01") << ">> 2a011401";
        QTest::newRow("2.4 GHz band")
            << "rbFBand24" << none << 0x14 << QByteArray::fromHex("02") << ">> 2a011402";
        QTest::newRow("F start") << "pbSetFStart" << Prepare([](Ui::DebugWindow *f) {
            f->dsbSetFStart->setValue(2400.0);
        }) << 0x15 << QByteArray::fromHex("09600000")
                                 << ">> 2a041509600000";
        QTest::newRow("F stop") << "pbSetFStop" << Prepare([](Ui::DebugWindow *f) {
            f->dsbSetFStop->setValue(902.5);
        }) << 0x16 << QByteArray::fromHex("03868000")
                                << ">> 2a041603868000";
        QTest::newRow("span index")
            << "pbSetSpanIndex"
            << Prepare([](Ui::DebugWindow *f) { f->sbSetSpanIndex->setValue(9); }) << 0x17
            << QByteArray::fromHex("09") << ">> 2a011709";
        QTest::newRow("F step") << "pbSetFStep" << Prepare([](Ui::DebugWindow *f) {
            f->dsbSetFStep->setValue(500.0);
        }) << 0x18 << QByteArray::fromHex("00008000")
                                << ">> 2a041800008000";
        QTest::newRow("RBW") << "pbSetRbw"
                             << Prepare([](Ui::DebugWindow *f) { f->sbSetRbw->setValue(41); })
                             << 0x19 << QByteArray::fromHex("29") << ">> 2a011929";
        QTest::newRow("step count")
            << "pbSetStepCount"
            << Prepare([](Ui::DebugWindow *f) { f->sbSetStepCount->setValue(5); }) << 0x1a
            << QByteArray::fromHex("0005") << ">> 2a021a0005";
        QTest::newRow("span") << "pbSeSpan"
                              << Prepare([](Ui::DebugWindow *f) { f->sbSetSpan->setValue(100); })
                              << 0x1b << QByteArray::fromHex("0064") << ">> 2a021b0064";
        QTest::newRow("spectrum") << "pbGetSpectrum" << none << 0x1f << QByteArray()
                                  << "Current Spectrum: (";
        QTest::newRow("calibration")
            << "pbGetCalibration" << none << 0x83 << QByteArray() << "Calibration Array: (";
        // The host leaves for its firmware-update mode without a word; the request times out.
        QTest::newRow("host bootloader")
            << "pbHostBL" << none << 0x81 << QByteArray() << ">> 2a0081";
        QTest::newRow("disconnect")
            << "pbDisconnect" << none << 0x02 << QByteArray() << "<< 2a0002";
    }

    void buttonsSendFrames()
    {
        QFETCH(QString, button);
        QFETCH(Prepare, prepare);
        QFETCH(int, code);
        QFETCH(QByteArray, payload);
        QFETCH(QString, logged);
        prepare(console()->getUi());
        auto *widget = console()->findChild<QAbstractButton *>(button);
        QVERIFY(widget);
        QSignalSpy received(m_sim.get(), &SimulatedAnalyzer::commandReceived);
        const int loggedBefore = console()->logContents().size();
        QTest::mouseClick(widget, Qt::LeftButton);
        QTRY_COMPARE(received.count(), 1);
        QCOMPARE(received.at(0).at(0).value<quint8>(), quint8(code));
        QCOMPARE(received.at(0).at(1).toByteArray(), payload);
        QTRY_VERIFY2(console()->logContents().mid(loggedBefore).contains(logged),
                     qPrintable(logged));
        QTRY_VERIFY(!m_window->deviceComms()->busy());
        QVERIFY(m_window->prompts->criticals.isEmpty());
    }

    void logLines()
    {
        QTest::mouseClick(console()->getUi()->pbGetFwVer, Qt::LeftButton);
        QTRY_VERIFY(console()->logContents().contains("Firmware Version: "));
        const QStringList lines = console()->logContents().split('\n');
        QVERIFY(lines.size() >= 3);
        const QRegularExpression stamped("^\\d\\d:\\d\\d:\\d\\d ");
        for (const QString &line : lines)
            QVERIFY2(stamped.match(line).hasMatch(), qPrintable(line));

        // The newest lines only, the view at the newest while the user leaves it there, and
        // where the user put it after scrolling back.
        DebugWindow local(nullptr, {});
        local.resize(500, 400);
        local.show();
        QVERIFY(QTest::qWaitForWindowExposed(&local));
        QPlainTextEdit *view = local.getUi()->logText;
        const auto newestShown = [view] {
            QCoreApplication::processEvents();
            const QTextBlock bottom
                = view->cursorForPosition(QPoint(4, view->viewport()->height() - 4)).block();
            return bottom.blockNumber() >= view->document()->blockCount() - 2;
        };
        for (int round = 0; round < 3; ++round) {
            for (int i = 0; i < DebugWindow::k_maxLogLines / 2 + 25; ++i)
                local.log(QString::number(round * 100000 + i));
            local.logContents();
            QVERIFY(newestShown());
        }
        const QStringList kept = local.logContents().split('\n');
        QCOMPARE(kept.size(), DebugWindow::k_maxLogLines);
        QVERIFY(kept.last().endsWith(" 210024"));
        view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
        QCoreApplication::processEvents();
        local.log("later");
        local.logContents();
        QVERIFY(!newestShown());
        QTest::mouseClick(local.getUi()->pbClearLog, Qt::LeftButton);
        QCOMPARE(local.logContents(), QString());
    }

    void saveLog()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("link.log");
        m_window->prompts->fileAnswers
            = {QUrl::fromLocalFile(path), QUrl::fromLocalFile(dir.filePath("no/such.log"))};
        QTest::mouseClick(console()->getUi()->pbSaveLog, Qt::LeftButton);
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(saved.readAll()), console()->logContents() + '\n');
        QTest::mouseClick(console()->getUi()->pbSaveLog, Qt::LeftButton);
        QCOMPARE(m_window->prompts->criticals.size(), 1);
        QVERIFY(m_window->prompts->criticals.first().startsWith(
            "The log was not saved. Unable to write " + dir.filePath("no/such.log")));
        m_window->prompts->criticals.clear();
    }

    // In debug mode Connect offers every port, and the connect sequence reads no versions;
    // a further "-debug" opens a further console.
    void debugConnect()
    {
        QSignalSpy received(m_sim.get(), &SimulatedAnalyzer::commandReceived);
        m_window->prompts->answer = m_sim->portName();
        m_window->getUi()->actionConnect->trigger();
        QCOMPARE(m_window->prompts->choiceLists.last(), (QStringList{"ttyS0", m_sim->portName()}));
        QTRY_VERIFY(m_window->deviceComms()->scanning());
        for (const QList<QVariant> &command : qAsConst(received))
            QVERIFY(command.at(0).value<quint8>() != 0x82);
        m_window->getUi()->actionStop->trigger();
        QTRY_VERIFY(!m_window->deviceComms()->scanning());

        DebugWindow *first = console();
        m_window->parseArgs({"quorvex", "-debug"}, nullptr);
        QVERIFY(console() != first);
        QVERIFY(first->isVisible() && console()->isVisible());
    }
};

QUORVEX_TEST_MAIN(TestDebugWindow)
#include "tst_debugwindow.moc"
