#pragma once

#include "ScanParams.h"
#include "VexaIdDesc.h"

#include <QList>
#include <QMap>

// Fixed facts about the two bands the analyzer sweeps. Built before main, read-only afterwards.
namespace Constants {

// Width of the visible time window of a band page and its waterfall, ms.
constexpr qint64 k_timeWindowWidth = 120000;
// Amplitude range of every display, dBm.
constexpr int k_nominalMinRssi = -100;
constexpr int k_nominalMaxRssi = -30;
// Lowest top of the spectrogram's amplitude axis, dBm.
constexpr int k_typicalMaxRssi = -50;
// Pause between two Wi-Fi scans, ms.
constexpr int k_wifiScanInterval = 4000;

extern const ScanParams k_900ScanParams;
extern const ScanParams k_2400ScanParams;

// Samples in one sweep of each band: trunc(Span * 1000 / FStep + 1) of the band's parameters.
extern const int k_samplesPerScan900;
extern const int k_samplesPerScan2400;

// Index = Wi-Fi channel; 0 and 15 are the band's edges (2400 and 2500 MHz), 14 is 2484 MHz.
extern const QList<double> k_wifiChannelFreq;
// Channel centre frequency (MHz) to Wi-Fi channel number, channels 1 to 14 only.
extern const QMap<double, int> k_wifiFreqChannel;
// The catalogue of VEXA ID networks: ID to frequency plan. IDs below 9501 are 900 MHz plans,
// IDs from 24000 on 2.4 GHz plans.
extern const QMap<int, VexaIdDesc> k_vexaIdMap;
// Index 0 and 17 are the band's edges; index n - 10 holds ZigBee channel n (11 to 26).
extern const QList<double> k_zigBeeChannelFreq;

} // namespace Constants
