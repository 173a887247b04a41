#include "SimLog.h"

// Quiet unless asked for (quorvex-sim --verbose, or QT_LOGGING_RULES): the simulator runs
// inside the program and its tests, and a line per command would drown their output.
Q_LOGGING_CATEGORY(lcSim, "quorvex.sim", QtInfoMsg)
