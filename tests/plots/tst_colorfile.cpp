#include "QuorvexTest.h"
#include "plots/ColorFile.h"
#include "plots/HighlightColorMap.h"
#include "plots/SpectroColorMap.h"
#include "plots/WaterfallColorMap.h"

#include <QDir>
#include <QStandardPaths>
#include <qwt_interval.h>

// The user's desktop is redirected into the test's private folder (the desktop location
// follows $XDG_CONFIG_HOME/user-dirs.dirs), so the copy placed there is the "desktop" file.
class TestColorFile : public QObject
{
    Q_OBJECT

    QString m_desktop;

    void writeDesktopFile(const QByteArray &content)
    {
        QFile file(ColorFile::desktopPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    static QList<QRgb> colorsAt(const QwtLinearColorMap &map, const QList<double> &ratios)
    {
        QList<QRgb> colors;
        for (double r : ratios)
            colors.append(map.rgb(QwtInterval(0.0, 1.0), r));
        return colors;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_desktop = TestEnvironment::root() + "/desktop";
        QDir().mkpath(m_desktop);
        QFile dirs(qEnvironmentVariable("XDG_CONFIG_HOME") + "/user-dirs.dirs");
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        dirs.write("XDG_DESKTOP_DIR=\"" + m_desktop.toUtf8() + "\"\n");
        dirs.close();
        QCOMPARE(ColorFile::desktopPath(), m_desktop + "/customColors.txt");
    }

    void cleanup()
    {
        QFile::remove(ColorFile::desktopPath());
        QDir().rmdir(ColorFile::desktopPath());
    }

    // The resource copy holds the default colours, top first.
    void resourceDefaults()
    {
        const QVector<ColorFile::Stop> spectro
            = ColorFile::readStops(ColorFile::resourcePath(), "SpectroPlot");
        QCOMPARE(spectro.size(), 6);
        const QList<double> values{1.0, 0.375, 0.25, 0.125, 0.0001, 0.0};
        const QStringList names{"#ff0000", "#ffff00", "#00ff00", "#00ffff", "#0000ff", "#000000"};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(spectro.at(i).value, values.at(i));
            QCOMPARE(spectro.at(i).color.name(), names.at(i));
            QCOMPARE(spectro.at(i).color.alpha(), i == 5 ? 0 : 255);
        }
        const QVector<ColorFile::Stop> waterfall
            = ColorFile::readStops(ColorFile::resourcePath(), "WaterfallPlot");
        QCOMPARE(waterfall.size(), 8);
        QCOMPARE(waterfall.at(1).value, 0.60);
        QCOMPARE(waterfall.at(6).value, 0.01);
        QCOMPARE(waterfall.at(6).color, QColor("#0000ff"));
        QCOMPARE(waterfall.last().color.alpha(), 0);
    }

    // What the default colours mean on screen.
    void defaultMaps()
    {
        SpectroColorMap spectro;
        QCOMPARE(spectro.colorStops(), (QVector<double>{0.0, 0.0001, 0.125, 0.25, 0.375, 1.0}));
        const QwtInterval density(0.0, 0.5);
        QCOMPARE(spectro.rgb(density, 0.0), qRgba(0, 0, 0, 0)); // no hit: transparent
        QCOMPARE(qAlpha(spectro.rgb(density, 0.001)), 255);
        QCOMPARE(spectro.rgb(density, 0.5), qRgb(255, 0, 0)); // 50 % and more: red
        WaterfallColorMap waterfall;
        const QwtInterval amplitude(-100.0, -30.0);
        QCOMPARE(waterfall.rgb(amplitude, -100.0), qRgba(0, 0, 0, 0));
        QCOMPARE(waterfall.rgb(amplitude, -58.0), qRgb(255, 0, 0));
        QCOMPARE(waterfall.rgb(amplitude, -95.0), qRgb(0, 0, 255));
        HighlightColorMap highlight;
        QCOMPARE(highlight.rgb(QwtInterval(0.0, 1.0), 0.0), qRgb(0x80, 0x80, 0x80));
        QCOMPARE(highlight.rgb(QwtInterval(0.0, 1.0), 1.0), qRgb(0xff, 0xff, 0xff));
    }

    // A desktop copy wins; two elements make a two-colour map whatever their values say.
    void desktopFileTwoColors()
    {
        writeDesktopFile("{\"SpectroPlot\": ["
                         "            {\"value\": 0.3, \"color\": \"#102030\", \"alpha\": 200},"
                         "            {\"value\": 0.9, \"color\": \"#405060\"}"
                         "        ], \"WaterfallPlot\": ["
                         "            {\"value\": 1.0, \"color\": \"#ffffff\", \"alpha\": 255},"
                         "            {\"value\": 0.5, \"color\": \"#808080\", \"alpha\": 255},"
                         "            {\"value\": 7.0, \"color\": \"#00ff00\", \"alpha\": 255},"
                         "            {\"value\": 0.0, \"color\": \"not a colour\", \"alpha\": 255}"
                         "        ]}");
        SpectroColorMap spectro;
        QCOMPARE(spectro.colorStops(), (QVector<double>{0.0, 1.0}));
        const QwtInterval unit(0.0, 1.0);
        QCOMPARE(spectro.rgb(unit, 0.0), qRgba(0x40, 0x50, 0x60, 0)); // no alpha: transparent
        QCOMPARE(spectro.rgb(unit, 1.0), qRgba(0x10, 0x20, 0x30, 200));
        // A stop outside 0 ... 1 is left out; an unknown colour name is an invalid colour,
        // which the map takes as black.
        WaterfallColorMap waterfall;
        QCOMPARE(waterfall.colorStops(), (QVector<double>{0.0, 0.5, 1.0}));
        QCOMPARE(waterfall.rgb(unit, 0.0), qRgba(0, 0, 0, 255));
    }

    void unusableDesktopFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("readable");
        QTest::newRow("not JSON") << QByteArray("{ this is not json") << true;
        QTest::newRow("array document") << QByteArray("[1, 2]") << true;
        QTest::newRow("key missing") << QByteArray("{\"WaterfallPlot\": []}") << true;
        QTest::newRow("one element") << QByteArray(
            "{\"SpectroPlot\": [{\"value\": 1, \"color\": \"#ffffff\", \"alpha\": 255}]}")
                                     << true;
        QTest::newRow("empty file") << QByteArray() << true;
        QTest::newRow("unreadable") << QByteArray("{\"SpectroPlot\": []}") << false;
    }

    // Anything the program cannot use in the desktop copy falls back to the resource copy.
    void unusableDesktopFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, readable);
        if (readable) {
            writeDesktopFile(content);
        } else {
            // A folder in the file's place exists but cannot be read as a file, whoever runs
            // the test.
            QVERIFY(QDir().mkpath(ColorFile::desktopPath()));
        }
        QVERIFY(ColorFile::readStops(ColorFile::desktopPath(), "SpectroPlot").isEmpty());
        SpectroColorMap fromFallback;
        QCOMPARE(fromFallback.colorStops(),
                 (QVector<double>{0.0, 0.0001, 0.125, 0.25, 0.375, 1.0}));
    }

    // Removing the desktop copy returns the maps to the resource colours.
    void removingTheDesktopFile()
    {
        writeDesktopFile("{\"SpectroPlot\": [{\"color\": \"#ffffff\"}, {\"color\": \"#000000\"}]}");
        QCOMPARE(SpectroColorMap().colorStops().size(), 2);
        QFile::remove(ColorFile::desktopPath());
        QCOMPARE(SpectroColorMap().colorStops().size(), 6);
    }
};

QUORVEX_TEST_MAIN(TestColorFile)
#include "tst_colorfile.moc"
