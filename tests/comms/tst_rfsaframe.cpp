#include "CrcReference.h"
#include "QuorvexTest.h"
#include "comms/RfsaFrame.h"

#include <QRandomGenerator>
#include <cmath>

namespace {

QByteArray hexBytes(const char *text)
{
    return QByteArray::fromHex(text);
}

} // namespace

// The analyzer's frames and fixed-point numbers, against an independent bitwise CRC and
// hand-worked encodings.
class TestRfsaFrame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void crcMatchesBitwiseReference()
    {
        QRandomGenerator rng(7);
        for (int length = 0; length < 300; length += 1 + length / 8) {
            QByteArray data(length, '\0');
            for (char &byte : data)
                byte = char(rng.bounded(256));
            QCOMPARE(RfsaFrame::calcCrc16(data), referenceCrc16(data));
            const QByteArray frame = RfsaFrame::createFrame(0x1F, data.left(255));
            QCOMPARE(frame, referenceFrame(0x1F, data.left(255)));
            QVERIFY(RfsaFrame::checkCrc16(frame));
            QByteArray broken = frame;
            const int at = broken.size() - 1 - int(rng.bounded(broken.size() - 1));
            broken[at] = char(broken.at(at) ^ 0x10);
            QVERIFY(!RfsaFrame::checkCrc16(broken));
        }
        QVERIFY(!RfsaFrame::checkCrc16(QByteArray()));
    }

    void frequencyEncoding_data()
    {
        QTest::addColumn<double>("megahertz");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("2400") << 2400.0 << hexBytes("09600000");
        QTest::newRow("902.5") << 902.5 << hexBytes("03868000");
        QTest::newRow("2412.123456") << 2412.123456 << hexBytes("096c1f9b");
        QTest::newRow("half unit rounds up") << 1.0 + 0.5 / 65536 << hexBytes("00010001");
        // A fraction that rounds to a whole MHz carries into the integer part.
        QTest::newRow("902.9999999") << 902.9999999 << hexBytes("03870000");
        QTest::newRow("2499.99999999") << 2499.99999999 << hexBytes("09c40000");
        QTest::newRow("zero") << 0.0 << hexBytes("00000000");
        // Values the format cannot hold end at its limits instead of wrapping around.
        QTest::newRow("negative") << -5.0 << hexBytes("00000000");
        QTest::newRow("too high") << 70000.0 << hexBytes("ffffffff");
        QTest::newRow("nan") << std::nan("") << hexBytes("00000000");
    }

    void frequencyEncoding()
    {
        QFETCH(double, megahertz);
        QFETCH(QByteArray, bytes);
        QCOMPARE(RfsaFrame::freqToRadioFormat(megahertz).toHex(), bytes.toHex());
    }

    void stepEncoding_data()
    {
        QTest::addColumn<double>("kilohertz");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("500") << 500.0 << hexBytes("00008000");
        QTest::newRow("200") << 200.0 << hexBytes("00003333");
        QTest::newRow("103.25") << 103.25 << hexBytes("00001a6f");
        QTest::newRow("1 MHz") << 1000.0 << hexBytes("00010000");
        QTest::newRow("negative") << -1.0 << hexBytes("00000000");
    }

    void stepEncoding()
    {
        QFETCH(double, kilohertz);
        QFETCH(QByteArray, bytes);
        QCOMPARE(RfsaFrame::stepToRadioFormat(kilohertz).toHex(), bytes.toHex());
    }
};

QUORVEX_TEST_GUILESS_MAIN(TestRfsaFrame)
#include "tst_rfsaframe.moc"
