#include "rtspdelayprobe.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

class RtspDelayProbePrivate
{
public:
    void report(int delay)
    {
        this->delay = delay;
        emit q->delayMeasured(delay);
    }

    RtspDelayProbe *q = nullptr;
    QString url;
    RtspDelayProbe::Target target;
    int delay = RtspDelayProbe::NoAnswerDelayMs;
    QTcpSocket socket;
    QTimer timer;
    bool started = false;
    QElapsedTimer sinceStart; // monotonic: a probe across midnight stays positive
};

RtspDelayProbe::Target RtspDelayProbe::targetOf(const QString &url)
{
    Target target;
    target.probeUrl = url;
    const QString scheme = QStringLiteral("rtsp://");
    if (!url.startsWith(scheme))
        return target;
    QString rest = url.mid(scheme.size());
    const int slash = rest.indexOf(QLatin1Char('/'));
    const int at = rest.lastIndexOf(QLatin1Char('@'));
    const QString credentials = at >= 0 ? rest.left(at + 1) : QString();
    if (slash >= 0)
        rest = rest.left(slash);
    if (at >= 0)
        rest = rest.mid(at + 1);
    const QStringList parts = rest.split(QLatin1Char(':'));
    target.host = parts.first();
    if (parts.size() == 2) {
        bool ok = false;
        const uint port = parts.at(1).toUInt(&ok);
        target.port = ok && port <= 65535 ? quint16(port) : 0;
    }
    if (!credentials.isEmpty())
        target.probeUrl.remove(credentials);
    return target;
}

RtspDelayProbe::RtspDelayProbe(QObject *parent)
    : QObject(parent)
    , d(new RtspDelayProbePrivate)
{
    d->q = this;
    connect(&d->socket, &QTcpSocket::connected, this, [this]() {
        const QString request = QStringLiteral("OPTIONS %1 RTSP/1.0\r\n").arg(d->target.probeUrl)
            + QStringLiteral("CSeq: %1\r\n").arg(1) + QStringLiteral("User-Agent: %1\r\n").arg(QStringLiteral("Zelka"))
            + QStringLiteral("\r\n");
        d->socket.write(request.toLatin1());
    });
    connect(&d->socket, &QTcpSocket::readyRead, this, [this]() {
        if (!d->socket.readAll().isEmpty())
            d->report(int(d->sinceStart.elapsed() * 0.5));
    });
    connect(&d->timer, &QTimer::timeout, this, &RtspDelayProbe::probe);
}

RtspDelayProbe::~RtspDelayProbe()
{
    d->timer.stop();
    d->socket.abort();
}

void RtspDelayProbe::setUrl(const QString &url)
{
    d->url = url;
}

QString RtspDelayProbe::url() const
{
    return d->url;
}

int RtspDelayProbe::delay() const
{
    return d->delay;
}

void RtspDelayProbe::start(int intervalMs)
{
    d->started = true;
    d->timer.start(intervalMs);
}

void RtspDelayProbe::setPaused(bool paused)
{
    if (!d->started || paused == !d->timer.isActive())
        return;
    if (paused) {
        d->timer.stop();
        d->socket.abort();
        return;
    }
    d->timer.start();
    probe();
}

void RtspDelayProbe::probe()
{
    if (d->url.isEmpty())
        return;
    d->sinceStart.start();
    d->target = targetOf(d->url);
    if (d->socket.state() != QAbstractSocket::ConnectedState)
        d->report(NoAnswerDelayMs);
    d->socket.abort();
    d->socket.connectToHost(QHostAddress(d->target.host), d->target.port);
}
