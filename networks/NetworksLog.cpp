#include "NetworksLog.h"

Q_LOGGING_CATEGORY(lcNetworks, "quorvex.networks")
