#pragma once

#include <QJsonObject>
#include <QString>

class QQuickWindow;

// Deleting many playing tiles at once while an animation runs: the longest stall of
// the GUI thread (the longest gap between two animation frames), how long the
// deletion itself took, and when the player library's threads were gone.
//   live     tiles playing a live RTSP stream (one shared encoder, 320x240)
//   stalled  tiles opening an RTSP server that accepts and never answers
//   stuck    tiles whose reader sits in a call that cannot be cut short (opening a
//            FIFO nobody writes to); the calls return 1 s after the deletion
namespace CloseScenario {

QJsonObject run(QQuickWindow &window, int count, const QString &source);

} // namespace CloseScenario
