#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

class HttpRequest;

// Keeps a transport's connections to one server from being held by calls the server sits
// on. Qt opens at most six connections to a server and queues what comes beyond; while
// more calls are out than that, the oldest one that has waited the patience for its
// answer is given up (aborted, failing through its normal path), so that a waiting call
// goes out within about the patience. GUI thread only.
class HungCallReaper
{
public:
    static constexpr int ConnectionsPerServer = 6;

    explicit HungCallReaper(int patienceMs);

    // A call handed to the transport; forgotten again when it finishes. Whether an older
    // call must be given up for it is judged on the next pass of the event loop.
    void watch(HttpRequest *request);

private:
    void reap();

    struct Call
    {
        QPointer<HttpRequest> request;
        qint64 sentMs = 0;
    };
    int m_patienceMs;
    QList<Call> m_calls;
    QElapsedTimer m_clock;
    QTimer m_timer;
    // Context of the finish connections: none outlives the reaper.
    QObject m_context;
};
