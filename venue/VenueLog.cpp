#include "VenueLog.h"

Q_LOGGING_CATEGORY(lcVenue, "quorvex.venue")
