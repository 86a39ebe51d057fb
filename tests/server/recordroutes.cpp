#include "recordroutes.h"

#include "mediafixtures.h"
#include "mediaroutes.h"
#include "recordmedia.h"
#include "seeddata.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTimeZone>

namespace {

const QRegularExpression &recordPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^/vod/record/(\\d+)/(\\d{14})\\.mp4$"));
    return pattern;
}

const QRegularExpression &devicePattern()
{
    static const QRegularExpression pattern(QStringLiteral("^/vod/device/(\\d+)/(\\d{14})-(\\d{14})\\.flv$"));
    return pattern;
}

// Read as UTC: a span is a plain difference, whatever the clocks did that night.
QDateTime timeStamp(const QString &text)
{
    if (text.size() != 14)
        return {};
    return QDateTime(QDate::fromString(text.left(8), QStringLiteral("yyyyMMdd")),
                     QTime::fromString(text.mid(8), QStringLiteral("hhmmss")), QTimeZone::utc());
}

} // namespace

RecordRoutes::RecordRoutes(SeedData &data, MediaFixtures &fixtures, RecordMedia &media)
    : m_data(data)
    , m_fixtures(fixtures)
    , m_media(media)
{
}

QString RecordRoutes::recordPath(int channelId, const QString &startAt)
{
    return QStringLiteral("/vod/record/%1/%2.mp4").arg(channelId).arg(startAt);
}

QString RecordRoutes::devicePlaybackPath(int channelId, const QString &startTime, const QString &endTime)
{
    return QStringLiteral("/vod/device/%1/%2-%3.flv").arg(channelId).arg(startTime, endTime);
}

qint64 RecordRoutes::spanSeconds(const QString &startTime, const QString &endTime)
{
    const QDateTime start = timeStamp(startTime);
    const QDateTime end = timeStamp(endTime);
    return start.isValid() && end.isValid() ? start.secsTo(end) : -1;
}

bool RecordRoutes::handles(const QString &path) const
{
    return path.startsWith(QLatin1String("/vod/"));
}

HttpResponse RecordRoutes::handle(const TestServerRequest &request)
{
    if (request.method != "GET" && request.method != "HEAD")
        return HttpResponse::text(405, "GET expected");
    if (const QRegularExpressionMatch match = recordPattern().match(request.path); match.hasMatch()) {
        const std::optional<int> seconds = m_data.recordDuration(match.captured(1).toInt(), match.captured(2));
        if (!seconds)
            return HttpResponse::text(404, "no such record");
        return serve(request, m_media.mp4(*seconds), "video/mp4");
    }
    if (const QRegularExpressionMatch match = devicePattern().match(request.path); match.hasMatch()) {
        const qint64 seconds = spanSeconds(match.captured(2), match.captured(3));
        if (seconds < 0 || seconds > RecordMedia::kMaxSeconds)
            return HttpResponse::text(404, "no such span");
        return serve(request, m_media.flv(int(seconds)), "video/x-flv");
    }
    return HttpResponse::text(404, "no such media");
}

HttpResponse RecordRoutes::serve(const TestServerRequest &request, const QString &name, const QByteArray &contentType)
{
    const QByteArray body = name.isEmpty() ? QByteArray() : m_fixtures.contents(name);
    if (body.isEmpty())
        return HttpResponse::text(404, "no such media");
    HttpResponse response = MediaRoutes::ranged(request, body, contentType);
    response.headOnly = request.method == "HEAD";
    return response;
}
