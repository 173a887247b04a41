#pragma once

#include <QByteArray>
#include <QString>

// How the simulated analyzer behaves: the site it sees, its timing, what it reports about
// itself, and the faults it injects. Counts of 0 switch a fault off.
struct SimulatedAnalyzerSettings
{
    // The site: which access points, hops and carriers are on the air, and their timing.
    quint32 seed = 1;
    // Time the radio takes for one sweep of each band, from the acknowledgement of the
    // spectrum request to its first data frame, ms.
    int sweepTime900Ms = 40;
    int sweepTime2400Ms = 80;
    // Pace the bytes sent at the 115200-baud link's byte rate (11520 bytes/s), so that sweep
    // rates are those of the real link.
    bool throttle = true;

    // A carrier that comes and goes at run time (SimulatedAnalyzer::setCarrierOn, the
    // console's "carrier on" and "carrier off"): flat over its width at its level, in whichever
    // band holds it, on top of the site. A width of 0 means there is none.
    double carrierMHz = 0.0;
    double carrierWidthMHz = 0.0;
    double carrierDbm = -50.0;
    bool carrierOn = true;

    // Info strings (CPU 1: host, CPU 0: radio), firmware version bytes and device version.
    QString hostInfo = QStringLiteral("1.0.0.9.0.69");
    QString radioInfo = QStringLiteral("1.0.0.9.0.0");
    QByteArray firmwareVersion = QByteArray::fromHex("010000090000");
    QString deviceVersion = QStringLiteral("Quorvex RF analyzer HW 2");

    // A stable path that always points at the current pseudo-terminal, as a device node that
    // keeps its name across unplugging and plugging in. Empty: a link in a private temporary
    // folder.
    QString linkPath;

    // Faults.
    int dropAcks = 0; // the next N acknowledgement frames are not sent
    int corruptCrcEvery = 0; // every Nth frame sent carries a wrong CRC
    int garbageEvery = 0; // every Nth frame sent is preceded by a few stray bytes
    int stallEverySweeps = 0; // every Nth sweep stops after its first data frame ...
    int stallMs = 3000; // ... for this long
    int hangUpAfterSweeps = 0; // unplugged in the middle of the Nth sweep
    int replugAfterMs = 0; // plugged in again this long after being unplugged (0: never)
    // At the command that sends the host to its firmware-update mode, the device leaves the
    // port without acknowledging, as a host that re-enumerates as a DFU device does.
    bool unplugAtHostBootloader = false;
};
