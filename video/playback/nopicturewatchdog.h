#pragma once

#include <QObject>
#include <QTimer>

#include <atomic>

class GuiThreadCall;

// Notices a playing stream that stopped delivering pictures: once armed it fires when
// no picture arrived for 3 s, then every 3 s. Pictures are announced from the player
// library's thread; the timer runs on the GUI thread.
class NoPictureWatchdog : public QObject
{
    Q_OBJECT

public:
    static constexpr int IntervalMs = 3000;

    // Restarts are handed to the GUI thread through calls.
    explicit NoPictureWatchdog(GuiThreadCall &calls, QObject *parent = nullptr);

    // GUI thread.
    void arm();
    void disarm();

    // Any thread: a picture arrived; restarts the interval unless disarmed meanwhile.
    void pictureArrived();

signals:
    void noPictures();

private:
    GuiThreadCall &m_calls;
    QTimer m_timer;
    std::atomic<bool> m_restartQueued{false};
    // Counts disarms, so that a restart asked for before one is dropped.
    std::atomic<quint64> m_generation{0};
    bool m_armed = false;
};
