#pragma once

#include <QMap>
#include <QString>
#include <QVariant>

// Scan parameters of a band, and the parameters of every command sequence: text keys
// ("FBand", "FStart", "FStop", "RBW", "FStep", "StepCount", "Span", "SpanIndex") to values.
using ScanParams = QMap<QString, QVariant>;
