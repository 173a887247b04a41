#pragma once

#include "sensor/SensorMessages.h"

#include <QMetaType>

// What a viewer knows of one sensor: its last state, when it was last heard, how fast its sweeps
// come, and how far its clock is from this computer's.
struct SensorInfo
{
    // A clock further off than this deserves a warning.
    static constexpr qint64 k_clockWarningMs = 1000;

    SensorStatus status;
    qint64 lastHeardMs = 0; // this computer's clock, ms since the epoch
    bool clockKnown = false;
    qint64 clockOffsetMs = 0; // the sensor's clock less this computer's
    double sweepsPerSecond = 0.0;

    bool isOnline() const { return status.state != QLatin1String(SensorStatus::k_offline); }
    QString displayName() const { return status.name.isEmpty() ? status.id : status.name; }
    // "the sensor's clock is 3.2 s ahead: run a time service on it"; empty within a second.
    QString clockWarning() const;
};

Q_DECLARE_METATYPE(SensorInfo)
