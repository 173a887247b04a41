#include "Constants.h"

// One translation unit, so the definitions below are initialised in this order; the sample
// counts read the maps defined above them.
namespace Constants {

namespace {

int samplesPerScan(const ScanParams &params)
{
    return int(params.value("Span").toDouble() * 1000.0 / params.value("FStep").toDouble() + 1.0);
}

QList<double> wifiChannelFreq()
{
    QList<double> freq{2400.0};
    for (int channel = 1; channel <= 13; ++channel)
        freq.append(2412.0 + 5.0 * (channel - 1));
    freq.append(2484.0);
    freq.append(2500.0);
    return freq;
}

QMap<double, int> wifiFreqChannel()
{
    QMap<double, int> map;
    for (int channel = 1; channel <= 13; ++channel)
        map.insert(2412.0 + 5.0 * (channel - 1), channel);
    map.insert(2484.0, 14);
    return map;
}

QList<double> zigBeeChannelFreq()
{
    QList<double> freq{2400.0};
    for (int index = 1; index <= 16; ++index)
        freq.append(2405.0 + 5.0 * (index - 1));
    freq.append(2500.0);
    return freq;
}

} // namespace

const ScanParams k_900ScanParams{
    {"FBand", 1},      {"FStart", 902.0}, {"FStop", 928.0}, {"RBW", 36},
    {"FStep", 103.25}, {"StepCount", 10}, {"Span", 26},     {"SpanIndex", 9},
};

const ScanParams k_2400ScanParams{
    {"FBand", 2},     {"FStart", 2400.0}, {"FStop", 2500.0}, {"RBW", 41},
    {"FStep", 200.0}, {"StepCount", 5},   {"Span", 100},     {"SpanIndex", 9},
};

const int k_samplesPerScan900 = samplesPerScan(k_900ScanParams);
const int k_samplesPerScan2400 = samplesPerScan(k_2400ScanParams);

const QList<double> k_wifiChannelFreq = wifiChannelFreq();
const QMap<double, int> k_wifiFreqChannel = wifiFreqChannel();
const QList<double> k_zigBeeChannelFreq = zigBeeChannelFreq();

} // namespace Constants
