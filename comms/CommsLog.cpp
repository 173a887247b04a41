#include "CommsLog.h"

Q_LOGGING_CATEGORY(lcComms, "quorvex.comms")
