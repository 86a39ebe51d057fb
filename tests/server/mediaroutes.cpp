#include "mediaroutes.h"

#include "mediafixtures.h"

#include <QRegularExpression>

namespace {

const QByteArray kMp4 = "video/mp4";
const QByteArray kFlv = "video/x-flv";
const QByteArray kJpeg = "image/jpeg";
const QByteArray kStream = "application/octet-stream";

bool parseRange(const QByteArray &header, qint64 size, qint64 *first, qint64 *last)
{
    static const QRegularExpression pattern(QStringLiteral("^bytes=(\\d*)-(\\d*)$"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(header.trimmed()));
    if (!match.hasMatch() || (match.captured(1).isEmpty() && match.captured(2).isEmpty()))
        return false;
    if (match.captured(1).isEmpty()) { // suffix: the last n bytes
        const qint64 count = match.captured(2).toLongLong();
        if (count <= 0)
            return false;
        *first = qMax<qint64>(0, size - count);
        *last = size - 1;
    } else {
        *first = match.captured(1).toLongLong();
        *last = match.captured(2).isEmpty() ? size - 1 : qMin(match.captured(2).toLongLong(), size - 1);
    }
    return *first < size && *first <= *last;
}

} // namespace

MediaRoutes::MediaRoutes(MediaFixtures &fixtures)
    : m_fixtures(fixtures)
{
}

QString MediaRoutes::fixtureFor(const QString &path, QByteArray *contentType) const
{
    static const QRegularExpression advert(QStringLiteral("^/media/advert/(\\d+)\\.jpg$"));
    static const QRegularExpression hlsFile(QStringLiteral("^/hls/.+/(index\\.m3u8|seg\\d+\\.ts)$"));
    static const QRegularExpression recordDownload(QStringLiteral("^/api/v1/record/download/\\d+/[^/]+$"));
    if (path.startsWith(QLatin1String("/snap/"))) {
        *contentType = kStream;
        if (path.endsWith(QLatin1String(".h264")))
            return QStringLiteral("snap.h264");
        if (path.endsWith(QLatin1String(".h265")))
            return QStringLiteral("snap.h265");
        return {};
    }
    if (const QRegularExpressionMatch match = advert.match(path); match.hasMatch()) {
        *contentType = kJpeg;
        return QStringLiteral("advert%1.jpg").arg((match.captured(1).toInt() + 2) % 3 + 1);
    }
    if (const QRegularExpressionMatch match = hlsFile.match(path); match.hasMatch()) {
        *contentType = match.captured(1).endsWith(QLatin1String(".ts")) ? QByteArray("video/mp2t")
                                                                        : QByteArray("application/vnd.apple.mpegurl");
        return QStringLiteral("hls/") + match.captured(1);
    }
    if (path == QLatin1String("/media/record-snap.jpg")) {
        *contentType = kJpeg;
        return QStringLiteral("record-snap.jpg");
    }
    if (path == QLatin1String("/api/v1/captcha")) {
        *contentType = "image/png";
        return QStringLiteral("captcha.png");
    }
    if (path == QLatin1String("/media/record.flv") || (path.startsWith(QLatin1String("/download/")) && path.endsWith(QLatin1String(".flv")))) {
        *contentType = kFlv;
        return QStringLiteral("record.flv");
    }
    if (path == QLatin1String("/media/record.mp4") || path.startsWith(QLatin1String("/download/"))
        || recordDownload.match(path).hasMatch()) {
        *contentType = kMp4;
        return QStringLiteral("record.mp4");
    }
    return {};
}

void MediaRoutes::setCaptchaText(const QString &text)
{
    m_captchaText = text;
}

bool MediaRoutes::handles(const QString &path) const
{
    static const QRegularExpression live(QStringLiteral("^/live/\\d+\\.flv$"));
    QByteArray contentType;
    return live.match(path).hasMatch() || !fixtureFor(path, &contentType).isEmpty()
           || path.startsWith(QLatin1String("/snap/")) || path.startsWith(QLatin1String("/media/"))
           || path.startsWith(QLatin1String("/download/")) || path.startsWith(QLatin1String("/hls/"));
}

HttpResponse MediaRoutes::handle(const TestServerRequest &request)
{
    if (request.method != "GET" && request.method != "HEAD")
        return HttpResponse::text(405, "GET expected");
    if (request.path.startsWith(QLatin1String("/live/"))) {
        HttpResponse response;
        response.contentType = kFlv;
        response.delivery = HttpResponse::Delivery::LiveStream;
        response.liveStreamName = "flv";
        return response;
    }
    QByteArray contentType;
    QString name = fixtureFor(request.path, &contentType);
    if (request.path == QLatin1String("/api/v1/captcha"))
        name = m_fixtures.captchaPicture(m_captchaText);
    const QByteArray body = name.isEmpty() ? QByteArray() : m_fixtures.contents(name);
    if (body.isEmpty())
        return HttpResponse::text(404, "no such media");
    HttpResponse response = ranged(request, body, contentType);
    response.headOnly = request.method == "HEAD";
    return response;
}

HttpResponse MediaRoutes::ranged(const TestServerRequest &request, const QByteArray &body, const QByteArray &contentType)
{
    HttpResponse response = HttpResponse::bytes(body, contentType);
    response.addHeader("Accept-Ranges", "bytes");
    const QByteArray range = request.header("Range");
    if (range.isEmpty())
        return response;
    qint64 first = 0;
    qint64 last = 0;
    if (!parseRange(range, body.size(), &first, &last)) {
        HttpResponse refused = HttpResponse::text(416, "range not satisfiable");
        refused.addHeader("Content-Range", "bytes */" + QByteArray::number(body.size()));
        return refused;
    }
    response.status = 206;
    response.body = body.mid(first, last - first + 1);
    const QByteArray contentRange = "bytes " + QByteArray::number(first) + '-' + QByteArray::number(last) + '/'
                                    + QByteArray::number(body.size());
    response.addHeader("Content-Range", contentRange);
    return response;
}
