#include "rtsprestarter.h"

#include "rtspserverprocess.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <algorithm>

namespace {

QEvent::Type endEventType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

} // namespace

class RtspRestarterPrivate
{
public:
    explicit RtspRestarterPrivate(RtspServerProcess &process)
        : process(process)
    {
        retry.setSingleShot(true);
    }

    void startAgain();
    void failed(const QString &why);

    RtspServerProcess &process;
    QTimer retry;
    quint16 port = 0; // 0: not watched
    int failedTries = 0;
    int nextRetryMs = RtspRestarter::kFirstRetryMs;
};

void RtspRestarterPrivate::startAgain()
{
    if (port == 0 || process.isRunning())
        return;
    retry.stop();
    QString error;
    if (!process.start(port, &error)) {
        failed(process.startFailure());
        return;
    }
    failedTries = 0;
    nextRetryMs = RtspRestarter::kFirstRetryMs;
    process.tell(QStringLiteral("the RTSP test server started again on 127.0.0.1:%1 (ends so far: %2)")
                     .arg(port)
                     .arg(process.endCount()));
}

// Clients keep coming back to this port: it is tried again, never given up.
void RtspRestarterPrivate::failed(const QString &why)
{
    ++failedTries;
    process.tell(QStringLiteral("the RTSP test server could not be started again on 127.0.0.1:%1 (try %2, the next in %3 s): %4")
                     .arg(port)
                     .arg(failedTries)
                     .arg(nextRetryMs / 1000.0)
                     .arg(why));
    retry.start(nextRetryMs);
    nextRetryMs = std::min(nextRetryMs * 2, int(RtspRestarter::kLongestRetryMs));
}

RtspRestarter::RtspRestarter(RtspServerProcess &process, QObject *parent)
    : QObject(parent)
    , d(new RtspRestarterPrivate(process))
{
    connect(&d->retry, &QTimer::timeout, this, [this] { d->startAgain(); });
}

RtspRestarter::~RtspRestarter() = default;

void RtspRestarter::watch(quint16 port)
{
    d->port = port;
    d->failedTries = 0;
    d->nextRetryMs = kFirstRetryMs;
}

void RtspRestarter::stop()
{
    d->port = 0;
    d->retry.stop();
}

// The event carries nothing (it is made on the thread that reads the program's output): the
// state is the process's, under its lock. Events still queued when this goes are dropped.
void RtspRestarter::endNoticed()
{
    QCoreApplication::postEvent(this, new QEvent(endEventType()));
}

void RtspRestarter::customEvent(QEvent *event)
{
    if (event->type() == endEventType())
        d->startAgain();
}
