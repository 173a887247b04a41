#pragma once

#include <QMetaType>
#include <QVector>

// One sweep: the amplitude in dBm at each frequency step. Element i lies at
// FStart + i * FStep / 1000 MHz of the band's scan parameters.
using RfSpectrumScan = QVector<qint8>;
