#include "QuietMainWindow.h"
#include "QuorvexTest.h"
#include "app/FirmwareOffer.h"
#include "data/Crc32.h"
#include "firmware/FwUpdateDialog.h"
#include "sim/SimulatedAnalyzer.h"
#include "ui_FwUpdateDialog.h"
#include "ui_MainWindow.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolButton>
#include <sys/stat.h>

namespace {

QByteArray carriedRadioImage()
{
    QFile image(FwUpdateDialog::k_radioImage);
    return image.open(QIODevice::ReadOnly) ? image.readAll() : QByteArray();
}

// A stand-in dfu-util: notes its arguments and the mode of the file and folder it is given,
// prints progress the way dfu-util does (carriage returns inside a line), and exits with
// `status`.
QString writeDfuUtil(const QTemporaryDir &dir, int status)
{
    const QString path = dir.filePath(QStringLiteral("dfu-util-%1").arg(status));
    QFile script(path);
    script.open(QIODevice::WriteOnly);
    script.write(QStringLiteral("#!/bin/sh\n"
                                "echo \"$@\" > '%1/args'\n"
                                "stat -c %a \"$4\" \"$(dirname \"$4\")\" > '%1/modes'\n"
                                "printf 'Opening DFU capable USB device...\\n'\n"
                                "printf 'Download\\t[===    ]  12%%     1024 bytes\\r"
                                "Download\\t[=====  ]  45%%     4096 bytes\\n'\n"
                                "sleep 0.2\n"
                                "printf 'Download\\t[=======] 100%%    12288 bytes\\n'\n"
                                "exit %2\n")
                     .arg(dir.path())
                     .arg(status)
                     .toUtf8());
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

QString readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
}

// The window connected to the simulated analyzer, its scan stopped and the update dialog opened
// from the tool bar; none when it does not get that far.
FwUpdateDialog *openUpdateDialog(QuietMainWindow &window, const SimulatedAnalyzer &sim)
{
    window.parseArgs({"quorvex", "-port", sim.portName()}, nullptr);
    if (!QTest::qWaitFor([&] { return window.deviceComms()->scanning(); }, 10000))
        return nullptr;
    window.getUi()->actionStop->trigger();
    if (!QTest::qWaitFor([&] { return window.getUi()->actionUpdate_Firmware->isEnabled(); }, 5000))
        return nullptr;
    window.getUi()->actionUpdate_Firmware->trigger();
    return window.fwUpdateDialog();
}

} // namespace

// The firmware update end to end: the dialog in the main window, the real communication
// thread and serial port, the simulated radio's ROM bootloader and flash; the host update
// with stand-ins for dfu-util and once with the real one.
class TestFwUpdateDialog : public QObject
{
    Q_OBJECT

    static SimulatedAnalyzerSettings oldRadio()
    {
        SimulatedAnalyzerSettings settings;
        settings.throttle = false;
        settings.radioInfo = QStringLiteral("1.0.0.8.0.0");
        return settings;
    }

private Q_SLOTS:
    void init() { qunsetenv("QUORVEX_DFU_UTIL"); }

    // A radio with older firmware: the offer opens once both versions are in, no scan
    // starts, and the update writes the carried image sector by sector.
    void radioUpdate()
    {
        SimulatedAnalyzer sim(oldRadio());
        QVERIFY(sim.start());
        QuietMainWindow window;
        window.show();
        window.parseArgs({"quorvex", "-port", sim.portName()}, nullptr);
        FwUpdateDialog *dialog = window.fwUpdateDialog();
        Ui::FwUpdateDialog *form = dialog->getUi();
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), 10000);
        QVERIFY(dialog->updRadio() && !dialog->updHost());
        QVERIFY(dialog->isModal());
        QCOMPARE(dialog->windowTitle(), QString("Firmware Update"));
        QCOMPARE(form->lblInfo->text(), QString("Click start to begin the update"));
        QTest::qWait(300);
        QVERIFY(!window.deviceComms()->scanning());

        const QByteArray image = carriedRadioImage();
        QCOMPARE(image.size(), 7 * 4096 + 1234);
        QTest::mouseClick(form->tbStart, Qt::LeftButton);
        QVERIFY(!form->actionCancel->isEnabled());
        // While it writes, nothing else reaches the port and the dialog stays.
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(dialog->isVisible());
        QVERIFY(!window.getUi()->actionConnect->isEnabled());
        QVERIFY(!form->actionForce_Radio->isEnabled() && !form->actionForce_Host->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(form->lblInfo->text(), QString("Update completed"), 30000);
        QVERIFY(window.getUi()->actionConnect->isEnabled());
        QCOMPARE(form->pbProgress->value(), 8);
        QCOMPARE(form->pbProgress->maximum(), 8);
        QCOMPARE(dialog->sectorCount(), 8);
        QVERIFY(form->actionCancel->isEnabled());
        QCOMPARE(form->actionCancel->text(), QString("Close"));
        QCOMPARE(sim.flash().left(image.size()), image);
        QVERIFY(window.prompts->criticals.isEmpty());

        // The radio restarted with the new firmware: on reconnecting it reports its version,
        // and with both versions as carried nothing is offered and the scan starts.
        QTest::mouseClick(form->tbCancel, Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        window.getUi()->actionConnect->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(window.deviceComms()->scanning(), 10000);
        QVERIFY(window.statusBar()->findChildren<QLabel *>().size() >= 3);
        QVERIFY(!dialog->isVisible());
        QVERIFY(!dialog->updRadio());
        // Update Firmware cannot be chosen while a scan runs.
        QVERIFY(!window.getUi()->actionUpdate_Firmware->isEnabled());
        window.getUi()->actionStop->trigger();
        QTRY_VERIFY(window.getUi()->actionUpdate_Firmware->isEnabled());

        // The flash checked over the protocol as well: back into the bootloader, its CRC-32.
        QTRY_VERIFY(!window.deviceComms()->busy());
        DeviceComms *comms = window.deviceComms();
        QSignalSpy inBootloader(comms, &DeviceComms::rfsaResetToBootloaderDone);
        comms->rfsaResetToBootloader();
        QVERIFY(inBootloader.wait(5000));
        QSignalSpy synced(comms, &DeviceComms::rblAutoBaudDone);
        comms->rblAutoBaud();
        QVERIFY(synced.wait(5000));
        QSignalSpy crc(comms, &DeviceComms::rblCmdCrc32Done);
        comms->rblCmdCrc32(0, quint32(image.size()), 0);
        QVERIFY(crc.wait(5000));
        QCOMPARE(crc.at(0).at(0).value<quint32>(), Crc32::of(image));
    }

    void radioUpdateFailure_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("critical");
        // Auto-baud, then three sectors' worth of frames and part of the fourth.
        QTest::newRow("silence") << true << "Communication error! No response received";
        QTest::newRow("status") << false << "Invalid Address";
    }

    // A failing step shows in the dialog with Cancel and Start enabled. A bootloader that still
    // answers takes the update again from the start: the radio stayed in its bootloader.
    void radioUpdateFailure()
    {
        QFETCH(bool, silent);
        QFETCH(QString, critical);
        SimulatedAnalyzer sim(oldRadio());
        QVERIFY(sim.start());
        QuietMainWindow window;
        window.show();
        window.parseArgs({"quorvex", "-port", sim.portName()}, nullptr);
        FwUpdateDialog *dialog = window.fwUpdateDialog();
        Ui::FwUpdateDialog *form = dialog->getUi();
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), 10000);
        if (silent)
            sim.bootloaderGoSilentAfter(3 * 40 + 10); // in the fourth sector
        else
            sim.bootloaderFailNextStatus(0x43); // Invalid Address
        QTest::mouseClick(form->tbStart, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(form->lblInfo->text().startsWith("Update failed: "), 30000);
        QVERIFY(form->pbProgress->value() < 8);
        QVERIFY(form->actionCancel->isEnabled() && form->actionStart->isEnabled());
        QCOMPARE(window.prompts->criticals, QStringList{critical});
        if (silent) {
            QTest::mouseClick(form->tbCancel, Qt::LeftButton);
            QVERIFY(!dialog->isVisible());
            return;
        }
        QTest::mouseClick(form->tbStart, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form->lblInfo->text(), QString("Update completed"), 30000);
        const QByteArray image = carriedRadioImage();
        QCOMPARE(sim.flash().left(image.size()), image);
    }

    // A radio left in its bootloader answers no analyzer command: connecting to the one
    // analyzer port in sight offers the radio update, without an error box, knowing that the
    // radio is in its bootloader.
    void offerFromBootloader()
    {
        SimulatedAnalyzer sim(oldRadio());
        QVERIFY(sim.start());
        {
            QuietMainWindow window;
            window.parseArgs({"quorvex", "-port", sim.portName()}, nullptr);
            QTRY_VERIFY_WITH_TIMEOUT(window.fwUpdateDialog()->isVisible(), 10000);
            sim.bootloaderFailNextStatus(0x44); // Flash Fail
            window.fwUpdateDialog()->getUi()->actionStart->trigger();
            QTRY_VERIFY_WITH_TIMEOUT(
                window.fwUpdateDialog()->getUi()->lblInfo->text().startsWith("Update failed: "),
                30000);
        }
        QuietMainWindow window({{sim.portName(), "Quorvex"}});
        window.parseArgs({"quorvex", "-port", sim.portName()}, nullptr);
        FwUpdateDialog *dialog = window.fwUpdateDialog();
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), 30000);
        QVERIFY(dialog->updRadio() && dialog->radioInBootloader());
        QVERIFY(window.prompts->criticals.isEmpty());
    }

    // The radio believed in its bootloader is not: its synchronisation goes unanswered, the
    // update resets it into the bootloader and goes on, and no error is shown for the detour.
    void wrongBootloaderBelief()
    {
        SimulatedAnalyzer sim(oldRadio());
        QVERIFY(sim.start());
        QuietMainWindow window;
        window.parseArgs({"quorvex", "-port", sim.portName()}, nullptr);
        FwUpdateDialog *dialog = window.fwUpdateDialog();
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), 10000);
        dialog->setRadioInBootloader(true);
        dialog->getUi()->actionStart->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(dialog->getUi()->lblInfo->text(), QString("Update completed"),
                                  60000);
        QVERIFY2(window.prompts->criticals.isEmpty(),
                 qPrintable(window.prompts->criticals.join('|')));
        QCOMPARE(sim.flash().left(carriedRadioImage().size()), carriedRadioImage());
    }

    // dfu-util still running when the program quits: the dialog cannot be dismissed meanwhile,
    // Connect and the Force actions stay off, and the window goes without a crash.
    void quitDuringHostUpdate()
    {
        QTemporaryDir tools;
        const QString path = tools.filePath("dfu-util-slow");
        QFile script(path);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf 'Download\\t[=      ]   5%%\\n'\nexec sleep 30\n");
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        qputenv("QUORVEX_DFU_UTIL", QFile::encodeName(path));
        SimulatedAnalyzerSettings settings;
        settings.throttle = false;
        SimulatedAnalyzer sim(settings);
        QVERIFY(sim.start());
        QElapsedTimer quitting;
        {
            QuietMainWindow window;
            window.show();
            FwUpdateDialog *dialog = openUpdateDialog(window, sim);
            QVERIFY(dialog);
            Ui::FwUpdateDialog *form = dialog->getUi();
            form->actionForce_Host->trigger();
            QTRY_COMPARE_WITH_TIMEOUT(form->pbProgress->value(), 5, 15000);
            QVERIFY(!form->actionForce_Radio->isEnabled() && !form->actionForce_Host->isEnabled());
            QVERIFY(!window.getUi()->actionConnect->isEnabled());
            form->actionForce_Host->trigger(); // disabled: no second update
            QTest::keyClick(dialog, Qt::Key_Escape);
            QVERIFY(!dialog->close());
            QVERIFY(dialog->isVisible());
            quitting.start();
        }
        QVERIFY(quitting.elapsed() < 10000);
    }

    void hostUpdate_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("portLost");
        QTest::addColumn<QString>("info");
        QTest::newRow("done") << 0 << false << "Update completed";
        QTest::newRow("failed") << 1 << false << "Update error";
        // The host leaves the port at once, as one that re-enumerates as a DFU device does:
        // that is its way of saying yes, and the update goes on.
        QTest::newRow("port lost at the command") << 0 << true << "Update completed";
    }

    // Force Host: the host is sent into its DFU mode, dfu-util runs on a private copy of the
    // image and its percentages drive the progress bar.
    void hostUpdate()
    {
        QFETCH(int, status);
        QFETCH(bool, portLost);
        QFETCH(QString, info);
        QTemporaryDir tools;
        qputenv("QUORVEX_DFU_UTIL", QFile::encodeName(writeDfuUtil(tools, status)));
        SimulatedAnalyzerSettings settings;
        settings.throttle = false;
        settings.unplugAtHostBootloader = portLost;
        SimulatedAnalyzer sim(settings);
        QVERIFY(sim.start());
        QuietMainWindow window;
        FwUpdateDialog *dialog = openUpdateDialog(window, sim);
        QVERIFY(dialog);
        Ui::FwUpdateDialog *form = dialog->getUi();
        QVERIFY(dialog->isVisible());
        QCOMPARE(form->lblInfo->text(), QString("Device currently up to date"));
        QVERIFY(!form->actionStart->isEnabled());
        QSignalSpy received(&sim, &SimulatedAnalyzer::commandReceived);

        form->actionForce_Host->trigger();
        QVERIFY(!dialog->updRadio() && dialog->updHost());
        QCOMPARE(form->lblInfo->text(), QString("Starting DFU mode..."));
        QTRY_COMPARE_WITH_TIMEOUT(form->lblInfo->text(), QString("Searching for DFU device..."),
                                  10000);
        QCOMPARE(received.first().at(0).value<quint8>(), quint8(0x81));
        QTRY_COMPARE_WITH_TIMEOUT(form->lblInfo->text(), QString("Updating host"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(form->pbProgress->value(), 45, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(form->lblInfo->text(), info, 10000);
        QCOMPARE(form->pbProgress->value(), 100);

        // dfu-util read a private copy: the file and its folder for this user alone.
        const QStringList args = readFile(tools.filePath("args")).split(' ');
        QCOMPARE(args.mid(0, 3), (QStringList{"-a", "0", "-D"}));
        QCOMPARE(args.mid(4), (QStringList{"-s", ":leave"}));
        QVERIFY(args.at(3).endsWith("/7342_quorvex_host.dfu"));
        QCOMPARE(readFile(tools.filePath("modes")).split('\n'), (QStringList{"600", "700"}));
        QVERIFY(!QFileInfo::exists(args.at(3))); // removed after the run
        if (status == 0) {
            QVERIFY(window.prompts->criticals.isEmpty());
            QCOMPARE(window.prompts->informations, QStringList{"Update completed successfully!"});
            QVERIFY(!dialog->isVisible());
        } else {
            QCOMPARE(window.prompts->criticals,
                     QStringList{"Error while updating the host firmware"});
            QVERIFY(dialog->isVisible());
            QVERIFY(form->actionCancel->isEnabled());
        }
    }

    // A host stage that never ends (a dfu-util that hangs): past the stage's limit Cancel
    // works again, ends dfu-util and leaves the dialog usable.
    void hostStageLimit()
    {
        QTemporaryDir tools;
        const QString path = tools.filePath("dfu-util-hangs");
        QFile script(path);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nexec sleep 60\n");
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        qputenv("QUORVEX_DFU_UTIL", QFile::encodeName(path));
        SimulatedAnalyzerSettings settings;
        settings.throttle = false;
        settings.unplugAtHostBootloader = true;
        SimulatedAnalyzer sim(settings);
        QVERIFY(sim.start());
        QuietMainWindow window;
        FwUpdateDialog *dialog = openUpdateDialog(window, sim);
        QVERIFY(dialog);
        Ui::FwUpdateDialog *form = dialog->getUi();
        dialog->setHostStageLimit(6000);
        form->actionForce_Host->trigger();
        QVERIFY(!form->actionCancel->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(form->actionCancel->isEnabled(), 15000);
        QVERIFY(dialog->isUpdating());
        form->actionCancel->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isUpdating(), 10000);
        QCOMPARE(form->lblInfo->text(), QString("Update error"));
        QVERIFY(form->actionStart->isEnabled() && form->actionForce_Host->isEnabled());
        QVERIFY(window.getUi()->actionConnect->isEnabled());
        form->actionCancel->trigger();
        QVERIFY(!dialog->isVisible());
    }

    // The system's dfu-util finds no device here: the update ends in an error, promptly.
    void realDfuUtil()
    {
        if (QStandardPaths::findExecutable("dfu-util").isEmpty())
            QSKIP("dfu-util is not installed");
        SimulatedAnalyzerSettings settings;
        settings.throttle = false;
        SimulatedAnalyzer sim(settings);
        QVERIFY(sim.start());
        QuietMainWindow window;
        window.parseArgs({"quorvex", "-port", sim.portName(), "-debug"}, nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(window.deviceComms()->scanning(), 10000);
        window.getUi()->actionStop->trigger();
        QTRY_VERIFY(window.getUi()->actionUpdate_Firmware->isEnabled());
        window.getUi()->actionUpdate_Firmware->trigger();
        window.fwUpdateDialog()->getUi()->actionForce_Host->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(window.fwUpdateDialog()->getUi()->lblInfo->text(),
                                  QString("Update error"), 30000);
        QCOMPARE(window.prompts->criticals.filter("Error while updating").size(), 1);
    }

    // The offer: equal versions open nothing; a differing radio version opens the dialog
    // once the host version is in too, not before.
    void offer()
    {
        {
            QuietMainWindow window;
            DeviceComms *comms = window.deviceComms();
            emit comms->rfsaGetInfoStrDone(1, 0, FirmwareOffer::k_hostFwString);
            emit comms->rfsaGetInfoStrDone(0, 0, FirmwareOffer::k_radioFwString);
            QVERIFY(!window.fwUpdateDialog()->isVisible());
        }
        QuietMainWindow window;
        FwUpdateDialog *dialog = window.fwUpdateDialog();
        DeviceComms *comms = window.deviceComms();
        emit comms->rfsaGetInfoStrDone(0, 0, "1.0.0.8.0.0");
        QVERIFY(!dialog->isVisible());
        emit comms->rfsaGetInfoStrDone(1, 0, FirmwareOffer::k_hostFwString);
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->updRadio() && !dialog->updHost());
        dialog->close();
        // The controller asks for the bootloader (the radio answers nothing else).
        emit comms->shouldTryBootload();
        QVERIFY(dialog->isVisible() && dialog->updRadio());
    }
};

QUORVEX_TEST_MAIN(TestFwUpdateDialog)
#include "tst_fwupdatedialog.moc"
