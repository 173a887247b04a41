#include "CrcReference.h"
#include "MessageCapture.h"
#include "QuorvexTest.h"
#include "comms/SerialComms.h"
#include "sim/SimulatedAnalyzer.h"
#include "sim/SimulatedPty.h"

#include <QSerialPort>
#include <QThread>

// A protocol that leaves received bytes in the port, so that the tests see what is pending.
class IdleComms : public SerialComms
{
public:
    explicit IdleComms(const QString &portName)
        : SerialComms(portName)
    { }
    void readData() override { }
    static QSerialPort *port() { return portOf(QThread::currentThread()); }
    void setReceived(const QByteArray &bytes) { m_receiveData = bytes; }
};

namespace {

SimulatedAnalyzerSettings fastSettings(quint32 seed)
{
    SimulatedAnalyzerSettings settings;
    settings.seed = seed;
    settings.throttle = false;
    return settings;
}

} // namespace

// The shared port on the main thread, on the pseudo-terminals of two simulated analyzers.
class TestSerialComms : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_first.start(), qPrintable(m_first.errorString()));
        QVERIFY2(m_second.start(), qPrintable(m_second.errorString()));
    }

    void opensWithTheFixedSettings()
    {
        IdleComms comms(m_first.portName());
        QSerialPort *port = IdleComms::port();
        QVERIFY(port->isOpen());
        QCOMPARE(port->openMode(), QIODevice::ReadWrite);
        QCOMPARE(port->portName(), m_first.portName());
        QCOMPARE(port->baudRate(QSerialPort::Input), 115200);
        QCOMPARE(port->baudRate(QSerialPort::Output), 115200);
        QCOMPARE(port->dataBits(), QSerialPort::Data8);
        QCOMPARE(port->parity(), QSerialPort::NoParity);
        QCOMPARE(port->stopBits(), QSerialPort::OneStop);
        QCOMPARE(port->flowControl(), QSerialPort::NoFlowControl);
    }

    void sameNameReusesTheOpenPort()
    {
        QSerialPort *port = IdleComms::port();
        {
            IdleComms first(m_first.portName());
            QVERIFY(port->setBaudRate(9600));
        }
        m_first.sendGarbage("\x01\x02\x03");
        QTRY_COMPARE(port->bytesAvailable(), qint64(3));
        IdleComms second(m_first.portName());
        QVERIFY(port->isOpen());
        // Neither reopened nor reconfigured; what was pending is gone.
        QCOMPARE(port->baudRate(), 9600);
        QCOMPARE(port->bytesAvailable(), qint64(0));
    }

    // The next sequence drops what the device sent before it, never what this side wrote: a
    // closing reply still in the driver must reach the device. The line's far end here reads
    // only when the test's event loop runs, so the bytes are still pending at the clear.
    void writtenBytesSurviveTheNextSequence()
    {
        SimulatedPty line;
        QVERIFY2(line.open(), qPrintable(line.errorString()));
        QSignalSpy received(&line, &SimulatedPty::received);
        {
            IdleComms first(line.slavePath());
            IdleComms::port()->write(QByteArray("\x00\xcc", 2));
            QVERIFY(IdleComms::port()->flush());
        }
        IdleComms next(line.slavePath());
        QTRY_VERIFY(!received.isEmpty());
        QByteArray bytes;
        for (const QList<QVariant> &chunk : received)
            bytes += chunk.at(0).toByteArray();
        QCOMPARE(bytes, QByteArray("\x00\xcc", 2));
    }

    void deviceNodeIsTheSamePort()
    {
        QSerialPort *port = IdleComms::port();
        {
            IdleComms first(m_first.slavePath()); // "/dev/pts/N", which the port calls "pts/N"
            QVERIFY(port->isOpen());
            QVERIFY(port->setBaudRate(9600));
        }
        IdleComms second(m_first.slavePath());
        QCOMPARE(port->baudRate(), 9600);
    }

    void otherNameReopensWithTheFixedSettings()
    {
        QSerialPort *port = IdleComms::port();
        {
            IdleComms first(m_first.portName());
            QVERIFY(port->setBaudRate(9600));
        }
        IdleComms second(m_second.portName());
        QVERIFY(port->isOpen());
        QCOMPARE(port->portName(), m_second.portName());
        QCOMPARE(port->baudRate(), 115200);
        QSignalSpy received(&m_second, &SimulatedAnalyzer::commandReceived);
        port->write(referenceFrame(0x07));
        QVERIFY(received.wait());
        QCOMPARE(received.at(0).at(0).value<quint8>(), quint8(0x07));
    }

    void emptyNameReopensTheLastPort()
    {
        {
            IdleComms first(m_first.portName());
            first.closePort();
            QVERIFY(!IdleComms::port()->isOpen());
        }
        IdleComms second{QString()};
        QVERIFY(IdleComms::port()->isOpen());
        QCOMPARE(IdleComms::port()->portName(), m_first.portName());
    }

    void missingPortFailsToOpen()
    {
        MessageCapture capture;
        IdleComms missing(QDir::tempPath() + "/quorvex-no-such-port");
        QVERIFY(!IdleComms::port()->isOpen());
        QVERIFY(!capture.lines(QtWarningMsg).filter("Cannot open").isEmpty());
        IdleComms present(m_first.portName());
        QVERIFY(IdleComms::port()->isOpen());
    }

    void waitingAckChangesOnce()
    {
        MessageCapture capture;
        IdleComms comms(m_first.portName());
        QSignalSpy changed(&comms, &SerialComms::waitingAckChanged);
        comms.setWaitingAck(false);
        comms.setWaitingAck(true);
        comms.setWaitingAck(true);
        QCOMPARE(changed.count(), 1);
        QVERIFY(capture.lines(QtDebugMsg).filter("Cleared waiting for ack").isEmpty());
        comms.setWaitingAck(false);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(capture.lines(QtDebugMsg).filter("Cleared waiting for ack").size(), 1);
    }

    void debugDumps()
    {
        MessageCapture capture;
        IdleComms comms(m_first.portName());
        comms.setReceived(QByteArray::fromHex("2a0001"));
        comms.printReceiveData();
        m_first.sendGarbage(QByteArray::fromHex("0a0b0c"));
        QTRY_COMPARE(IdleComms::port()->bytesAvailable(), qint64(3));
        comms.printPortBuffer();
        QCOMPARE(IdleComms::port()->bytesAvailable(), qint64(0));
        const QStringList lines = capture.lines(QtDebugMsg);
        QVERIFY(lines.contains("Received Data: 2a 00 01"));
        QVERIFY(lines.contains("Port Buffer: ( 3 ) 0a 0b 0c"));
    }

    // An unplugged device leaves a port that fails on every read; it is closed and reported to
    // the protocol object, and the device is found again under its name once it is back.
    void unpluggedPortIsClosedAndReported()
    {
        IdleComms comms(m_first.portName());
        QSignalSpy error(&comms, &SerialComms::error);
        m_first.hangUp();
        QVERIFY(error.wait());
        QCOMPARE(error.at(0).at(0).toString(), QString("Communication port lost"));
        QTRY_VERIFY(!IdleComms::port()->isOpen());
        QCOMPARE(error.count(), 1);

        QVERIFY(m_first.plugIn());
        IdleComms again(m_first.portName());
        QVERIFY(IdleComms::port()->isOpen());
    }

    void unpluggedPortIsClosedWithoutListener()
    {
        {
            IdleComms comms(m_first.portName());
        }
        QVERIFY(IdleComms::port()->isOpen());
        m_first.hangUp();
        QTRY_VERIFY(!IdleComms::port()->isOpen());
        QVERIFY(m_first.plugIn());
        IdleComms again(m_first.portName());
        QVERIFY(IdleComms::port()->isOpen());
        again.closePort();
    }

private:
    SimulatedAnalyzer m_first{fastSettings(1)};
    SimulatedAnalyzer m_second{fastSettings(2)};
};

QUORVEX_TEST_GUILESS_MAIN(TestSerialComms)
#include "tst_serialcomms.moc"
