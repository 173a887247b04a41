#include "SensorLog.h"

Q_LOGGING_CATEGORY(lcSensor, "quorvex.sensor")
