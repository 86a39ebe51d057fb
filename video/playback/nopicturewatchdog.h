#pragma once

#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdint>

struct StreamState;

// Notices a playing stream that stopped delivering pictures: once armed it fires when
// no picture arrived for 3 s, then every 3 s. The player library's thread only notes
// when each picture came (lastPictureMs, steady clock); the watchdog looks at that
// on its own timer, which wakes about once in 3 s while pictures flow, so pictures
// cost the GUI thread nothing.
// While only key frames are decoded, pictures come once per key-frame interval (2 to
// 4 s from cameras): the quiet time then spans two such intervals, and at least 6 s,
// so that a healthy stream never reads as lost.
class NoPictureWatchdog : public QObject
{
    Q_OBJECT

public:
    static constexpr int IntervalMs = 3000;
    // A longer gap than this is a stall, not a key-frame interval.
    static constexpr int MaxKeyFrameGapMs = 10000;

    // The state must outlive the watchdog's arming (the item disarms it before its
    // stream state goes).
    explicit NoPictureWatchdog(const StreamState &state, QObject *parent = nullptr);

    // GUI thread. arm() counts the quiet time from now.
    void arm();
    void disarm();

    // The clock of lastPictureMs: steady, in milliseconds.
    static int64_t nowMs();

    // How long without a picture counts as no pictures now.
    int64_t quietLimitMs() const;

signals:
    void noPictures();

private:
    void check();
    void wakeAt(int64_t dueMs);

    const StreamState &m_state;
    QTimer m_timer;
    // The quiet time counts from the latest of the last picture, the arming and the
    // last firing.
    int64_t m_since = 0;
};
