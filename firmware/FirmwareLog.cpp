#include "FirmwareLog.h"

Q_LOGGING_CATEGORY(lcFirmware, "quorvex.firmware")
