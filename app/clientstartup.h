#pragma once

#include <QUrl>

class QQmlEngine;

namespace ClientStartup {

// The root file of the interface, compiled into the resources.
QUrl defaultRootUrl();

// Reads the configuration and fixes the graphics API and surface format; must run
// before the application object exists.
void prepareProcess();

// Creates the process-wide managers in their fixed order (after the application object).
void createSingletons();

// The native QML types, in one place so that tests register exactly what the client does.
void registerQmlTypes();

// The API client bound to the engine, then the context properties.
void prepareEngine(QQmlEngine &engine);

// The root-context singletons the pages reach by name.
void installContextProperties(QQmlEngine &engine);

// After the engine went with its windows: deletes what they handed to deleteLater (a
// Canvas its texture) while the application object still exists.
void releaseDeferredDeletions();

// The whole client: start-up, event loop, exit code.
int run(int argc, char **argv, const QUrl &rootUrl);

} // namespace ClientStartup
