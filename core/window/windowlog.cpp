#include "windowlog.h"

Q_LOGGING_CATEGORY(lcWindow, "zelka.window", QtInfoMsg)
