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
// ID: universes, centre MHz, bandwidth MHz, type, indoor ft, outdoor ft, indoor m, outdoor m.
const QMap<int, VexaIdDesc> k_vexaIdMap{
    {9100, {1, 915.0, 24.84, "Full", 300, 2000, 100, 600}},
    {9110, {1, 906.15, 8.28, "Low", 300, 2000, 100, 600}},
    {9120, {1, 915.0, 8.28, "Mid", 300, 2000, 100, 600}},
    {9130, {1, 923.85, 8.28, "High", 300, 2000, 100, 600}},
    {9150, {1, 915.0, 24.84, "Adaptive", 300, 2000, 100, 600}},
    {9200, {2, 915.0, 20.4, "Full", 300, 2000, 100, 600}},
    {9210, {2, 907.25, 10.2, "Low", 300, 2000, 100, 600}},
    {9230, {2, 922.75, 10.2, "High", 300, 2000, 100, 600}},
    {9250, {2, 915.0, 20.4, "Adaptive", 300, 2000, 100, 600}},
    {9300, {4, 915.25, 21.75, "Full", 300, 500, 100, 150}},
    {9310, {4, 909.1975, 14.5, "Low", 300, 500, 100, 150}},
    {9330, {4, 920.8025, 14.5, "High", 300, 500, 100, 150}},
    {9350, {4, 915.25, 21.75, "Adaptive", 300, 500, 100, 150}},
    {24100, {1, 2440.375, 80.469, "Full", 300, 1500, 100, 450}},
    {24110, {1, 2413.552, 26.823, "Low", 300, 1500, 100, 450}},
    {24120, {1, 2440.375, 26.823, "Mid", 300, 1500, 100, 450}},
    {24130, {1, 2467.198, 26.823, "High", 300, 1500, 100, 450}},
    {24140, {1, 2474.513, 12.192, "Max", 300, 1500, 100, 450}},
    {24150, {1, 2440.375, 80.469, "Adaptive", 300, 1500, 100, 450}},
    {24200, {2, 2440.875, 80.486, "Full", 300, 1500, 100, 450}},
    {24210, {2, 2420.754, 40.243, "Low", 300, 1500, 100, 450}},
    {24230, {2, 2460.996, 40.243, "High", 300, 1500, 100, 450}},
    {24240, {2, 2476.646, 8.943, "Max", 300, 1500, 100, 450}},
    {24250, {2, 2440.875, 80.486, "Adaptive", 300, 1500, 100, 450}},
    {24300, {5, 2438.425, 76.11, "Full", 100, 1000, 30, 300}},
    {24310, {5, 2428.046, 55.352, "Low", 100, 1000, 30, 300}},
    {24330, {5, 2448.804, 55.352, "High", 100, 1000, 30, 300}},
    {24340, {5, 2473.02, 6.919, "Max", 100, 1000, 30, 300}},
    {24350, {5, 2438.425, 76.11, "Adaptive", 100, 1000, 30, 300}},
};

const QList<double> k_zigBeeChannelFreq = zigBeeChannelFreq();

} // namespace Constants
