#pragma once

#include <QLoggingCategory>

// The windows' drags and the places the client gives them; off unless asked for
// (QT_LOGGING_RULES="zelka.window.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcWindow)
