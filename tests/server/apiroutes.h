#pragma once

#include "httpresponse.h"
#include "testserver.h"

#include <QHash>
#include <QString>

class SeedData;
class QUrlQuery;

// The REST calls under "/api/v1/" (and the one under "/api/v2/") over the seeded data,
// with the envelopes the platform answers: {"ZelkaVSS": {"Body": ...}}, {"data": [...]},
// {"count": n, "data": [...]}, bare JSON and raw text.
class ApiRoutes
{
public:
    struct Context
    {
        QString token; // the first account's token; every other account gets its own
        quint16 httpPort = 0;
        quint16 rtspPort = 0;
    };

    explicit ApiRoutes(SeedData &data);

    bool handles(const QString &path) const;
    // True for the calls the platform answers without a login token.
    static bool isPublic(const QString &path);
    // 401 for a call that needs a token without a valid "token" header.
    HttpResponse handle(const TestServerRequest &request, const Context &context);

private:
    using Handler = HttpResponse (ApiRoutes::*)(const TestServerRequest &, const QUrlQuery &);

    HttpResponse login(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse logout(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse userInfo(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse otherConfig(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse serverInfo(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse adverts(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse serverState(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse devices(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse channels(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse channelsById(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse groups(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse groupDevices(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse groupDeviceChannels(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse groupChannelList(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse favourites(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse addFavourite(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse deleteFavourite(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse channelToken(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse channelStream(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse stopChannelStream(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse ptzControl(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse talkWithoutUpgrade(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse alarmList(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse deleteAlarm(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse clearAlarm(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse recordMonth(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse recordDay(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse recordImportant(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse recordRemove(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse deviceRecordPlayback(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse deviceRecordDownload(const TestServerRequest &request, const QUrlQuery &query);
    HttpResponse deviceRecordStreamInfo(const TestServerRequest &request, const QUrlQuery &query);

    HttpResponse setFavourite(const QUrlQuery &query, bool favourite);
    QString tokenOf(const QString &userName) const;
    QString userOfToken(const QByteArray &token) const;
    Handler handlerFor(const QString &path) const;

    SeedData &m_data;
    Context m_context;
    QString m_user; // owner of the token of the request being answered
    QHash<QString, Handler> m_routes;
};
