#include "PlotLog.h"

Q_LOGGING_CATEGORY(lcPlots, "quorvex.plots")
