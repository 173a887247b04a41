#include "WifiLog.h"

Q_LOGGING_CATEGORY(lcWifi, "quorvex.wifi")
