#include "DataLog.h"

Q_LOGGING_CATEGORY(lcData, "quorvex.data")
