#pragma once

#include <QQmlContext>
#include <QQmlEngine>

#include "eventwait.h"

// Gives the QML tests the C++ tests' bound for a wait as `patience`, for every
// tryCompare, tryVerify and SignalSpy.wait.
inline void installTestPatience(QQmlEngine &engine)
{
    engine.rootContext()->setContextProperty(QStringLiteral("patience"), kEventWaitMs);
}
