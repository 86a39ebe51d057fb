#pragma once

#include <QString>
#include <QVariantMap>

class QQmlEngine;
class QQuickWindow;

// The client's native side as the benchmarks that load its pages need it: fonts, the
// singletons, the registered types, the built-in style, and the server to talk to (live
// streams over RTSP).
namespace BenchClient {

void start(const QString &host, const QString &port);

// Makes the benchmark's scene from `file` in the window's content, with `initial`
// properties; with `qmlRoot` set it reads the interface's files from that folder instead of
// the compiled module (so that two versions compare alike). Waits until the window shows.
// Null (the reason printed) when the file does not load.
QObject *loadScene(QQmlEngine &engine, QQuickWindow &window, const QString &file, QVariantMap initial,
                   const QString &qmlRoot);

} // namespace BenchClient
