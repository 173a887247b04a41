#include "QuorvexTest.h"
#include "comms/DeviceComms.h"
#include "data/Crc32.h"
#include "firmware/RadioImage.h"
#include "sim/SimulatedAnalyzer.h"

// The bootloader sequences through the session controller, its communication thread and the
// real serial port, against the simulated radio reset into its ROM bootloader.
class TestRblSequences : public QObject
{
    Q_OBJECT

    SimulatedAnalyzer m_sim{[] {
        SimulatedAnalyzerSettings settings;
        settings.throttle = false;
        return settings;
    }()};
    std::unique_ptr<DeviceComms> m_comms;
    QStringList m_messages;

    // The bootloader commands the simulated radio received, by code.
    static QList<quint8> codes(const QSignalSpy &received)
    {
        QList<quint8> list;
        for (const QList<QVariant> &command : received)
            list << command.at(0).value<quint8>();
        return list;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_sim.start(), qPrintable(m_sim.errorString())); }

    void init()
    {
        m_comms = std::make_unique<DeviceComms>();
        m_comms->setPortName(m_sim.portName());
        m_comms->setPortSource([] { return DeviceComms::PortList(); });
        m_comms->setMessageSink(
            [this](const QString &, const QString &text) { m_messages.append(text); });
        // Into the bootloader, synchronised.
        QSignalSpy reset(m_comms.get(), &DeviceComms::rfsaResetToBootloaderDone);
        m_comms->rfsaResetToBootloader();
        QVERIFY(reset.wait(5000));
        QSignalSpy synced(m_comms.get(), &DeviceComms::rblAutoBaudDone);
        m_comms->rblAutoBaud();
        QVERIFY(synced.wait(5000));
    }

    void cleanup()
    {
        m_comms.reset();
        m_messages.clear();
        m_sim.hangUp(); // a power cycle: back to the analyzer, no faults
        QVERIFY(m_sim.plugIn());
    }

    void writeSector_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("sends");
        QTest::newRow("erased already: no download") << QByteArray(4096, '\xff') << -1;
        QTest::newRow("empty: no download") << QByteArray() << -1;
        QTest::newRow("252 bytes: one send") << QByteArray(252, '\x5a') << 1;
        QTest::newRow("253 bytes: two") << QByteArray(253, '\x5a') << 2;
        QTest::newRow("a whole sector: 17") << RadioImage::make("x").left(4096) << 17;
    }

    void writeSector()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, sends);
        QSignalSpy received(&m_sim, &SimulatedAnalyzer::bootloaderCommandReceived);
        QSignalSpy done(m_comms.get(), &DeviceComms::rblWriteSectorDone);
        m_comms->rblWriteSector(0x2000, data);
        QVERIFY(done.wait(5000));
        QTRY_VERIFY(!m_comms->busy());
        QList<quint8> expected{0x20, 0x26, 0x23};
        if (sends > 0) {
            expected << 0x21 << 0x23;
            for (int i = 0; i < sends; ++i)
                expected << 0x24 << 0x23;
        }
        QTRY_COMPARE(codes(received), expected);
        QByteArray sector = m_sim.flash().mid(0x2000, 4096);
        QCOMPARE(sector.left(data.size()), data);
        QCOMPARE(sector.mid(data.size()), QByteArray(4096 - data.size(), '\xff'));
        QVERIFY(m_messages.isEmpty());
    }

    void writeSectorFailures_data()
    {
        QTest::addColumn<quint32>("address");
        QTest::addColumn<int>("fault"); // 0 none, 1 NACK, 2 silence
        QTest::addColumn<QString>("message");
        QTest::newRow("invalid address after the erase")
            << quint32(0x2001) << 0 << "Invalid Address";
        QTest::newRow("NACK") << quint32(0x2000) << 1 << "Bootloader Error! (NACK)";
        QTest::newRow("silence") << quint32(0x2000) << 2
                                 << "Communication error! No response received";
    }

    void writeSectorFailures()
    {
        QFETCH(quint32, address);
        QFETCH(int, fault);
        QFETCH(QString, message);
        if (fault == 1)
            m_sim.bootloaderNackNext(1);
        if (fault == 2)
            m_sim.bootloaderGoSilentAfter(3);
        QSignalSpy received(&m_sim, &SimulatedAnalyzer::bootloaderCommandReceived);
        QSignalSpy done(m_comms.get(), &DeviceComms::rblWriteSectorDone);
        m_comms->rblWriteSector(address, QByteArray(600, '\x11'));
        QTRY_VERIFY_WITH_TIMEOUT(!m_messages.isEmpty(), 5000);
        QCOMPARE(m_messages, QStringList{message});
        QVERIFY(done.isEmpty());
        QVERIFY(!codes(received).contains(0x24));
        if (fault == 0)
            QVERIFY(!codes(received).contains(0x21));
        QVERIFY(!m_comms->busy() && !m_comms->connected());
    }

    // The flash holds what was written, as its CRC-32 over the protocol says too; after the
    // reset the radio reports the version its flash now holds.
    void imageAndReset()
    {
        const QByteArray image = RadioImage::make("2.0.0.1.0.0", 2 * 4096 + 100);
        for (int sector = 0; sector < 3; ++sector) {
            QSignalSpy done(m_comms.get(), &DeviceComms::rblWriteSectorDone);
            m_comms->rblWriteSector(quint32(sector * 4096), image.mid(sector * 4096, 4096));
            QVERIFY(done.wait(5000));
            QTRY_VERIFY(!m_comms->busy());
        }
        QCOMPARE(m_sim.flash().left(image.size()), image);
        QSignalSpy crc(m_comms.get(), &DeviceComms::rblCmdCrc32Done);
        m_comms->rblCmdCrc32(0, quint32(image.size()), 0);
        QVERIFY(crc.wait(5000));
        QCOMPARE(crc.at(0).at(0).value<quint32>(), Crc32::of(image));
        QSignalSpy chip(m_comms.get(), &DeviceComms::rblCmdGetChipIdDone);
        m_comms->rblCmdGetChipId();
        QVERIFY(chip.wait(5000));

        QSignalSpy mode(&m_sim, &SimulatedAnalyzer::modeChanged);
        QSignalSpy reset(m_comms.get(), &DeviceComms::rblCmdResetDone);
        m_comms->rblCmdReset();
        QVERIFY(reset.wait(5000));
        QTRY_COMPARE(mode.count(), 1);
        QSignalSpy info(m_comms.get(), &DeviceComms::rfsaGetInfoStrDone);
        m_comms->rfsaGetInfoString(0, 0);
        QVERIFY(info.wait(5000));
        QCOMPARE(info.at(0).at(2).toString(), QString("2.0.0.1.0.0"));
        QVERIFY(m_messages.isEmpty());
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestRblSequences)
#include "tst_rblsequences.moc"
