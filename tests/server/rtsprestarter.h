#pragma once

#include <QObject>
#include <QScopedPointer>

class RtspServerProcess;
class RtspRestarterPrivate;

// Keeps the test server's RTSP server on its port, as a camera that restarts: once watched,
// a server that ended by itself after it listened is started again at once; a start that
// fails (the program killed before it listened, its port taken by another process) is tried
// again after kFirstRetryMs, the wait doubling up to kLongestRetryMs, for as long as it is
// watched. Each failed try and the comeback are told after the process's echo prefix. Lives
// in the thread that made it, whose event loop must run (each start waits there until the
// program listens); endNoticed() may be called from any thread.
class RtspRestarter : public QObject
{
public:
    static constexpr int kFirstRetryMs = 500;
    static constexpr int kLongestRetryMs = 4000;

    explicit RtspRestarter(RtspServerProcess &process, QObject *parent = nullptr);
    ~RtspRestarter() override;

    void watch(quint16 port); // after a start that listened on that port
    void stop();              // no more starts until the next watch()
    void endNoticed();        // any thread: the server ended by itself

protected:
    void customEvent(QEvent *event) override;

private:
    QScopedPointer<RtspRestarterPrivate> d;
};
