#include "locationlog.h"

Q_LOGGING_CATEGORY(lcLocation, "zelka.location")
