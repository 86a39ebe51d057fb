#pragma once

#include <QJsonObject>

class QQuickWindow;

// Items playing files in a window.
namespace PlaybackScenarios {

// count items playing one file: pictures received and drawn per second against the
// stream's rate, CPU per drawn picture by thread kind, resident memory per item.
QJsonObject grid(QQuickWindow &window, int count, int height, int measureSeconds);
// count items without a stream: CPU of the whole process.
QJsonObject idle(QQuickWindow &window, int count, int measureSeconds);
// One item playing a file to its end: pictures drawn and the time they took.
QJsonObject pacing(QQuickWindow &window, int seconds);

} // namespace PlaybackScenarios
