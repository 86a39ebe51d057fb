#pragma once

#include "httpresponse.h"
#include "testserver.h"

class RecordMedia;
class MediaFixtures;
class SeedData;

// Record playback over HTTP, without a token: a seeded record's stream as long as the
// record ("/vod/record/<channel>/<startAt>.mp4", its "hls" path) and a device playback
// span as long as asked ("/vod/device/<channel>/<stime>-<etime>.flv", the address the
// device playback call gives), both with byte ranges.
class RecordRoutes
{
public:
    RecordRoutes(SeedData &data, MediaFixtures &fixtures, RecordMedia &media);

    static QString recordPath(int channelId, const QString &startAt);
    static QString devicePlaybackPath(int channelId, const QString &startTime, const QString &endTime);
    // Seconds from one "yyyyMMddhhmmss" to another; -1 when either does not parse.
    static qint64 spanSeconds(const QString &startTime, const QString &endTime);

    bool handles(const QString &path) const;
    HttpResponse handle(const TestServerRequest &request);

private:
    HttpResponse serve(const TestServerRequest &request, const QString &name, const QByteArray &contentType);

    SeedData &m_data;
    MediaFixtures &m_fixtures;
    RecordMedia &m_media;
};
