#include "PagesLog.h"

Q_LOGGING_CATEGORY(lcPages, "quorvex.pages")
