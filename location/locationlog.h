#pragma once

#include <QLoggingCategory>

// Problems of the map layer: a map source that offers nothing, dropped map types,
// tiles that could not be fetched.
Q_DECLARE_LOGGING_CATEGORY(lcLocation)
