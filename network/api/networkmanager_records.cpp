// Record queries by month and day, flags, removal and the device-record addresses.
#include <QDateTime>
#include <QDebug>

#include "apiquery.h"
#include "networkmanager.h"
#include "networkmanager_p.h"
#include "replyenvelope.h"
#include "secretmask.h"
#include "settings.h"

namespace {

const QString kTimeFormat = QStringLiteral("yyyyMMddhhmmss");
const QString kBadStartTime = QStringLiteral("录像开始时间无效.");

QString recordTypeText(int recordType)
{
    return recordType != 0 ? QStringLiteral("Device") : QStringLiteral("Cloud");
}

// Start and end of a device record; invalid when the start is not "yyyyMMddhhmmss".
struct RecordSpan
{
    QDateTime start;
    QDateTime end;

    RecordSpan(const QString &startTime, int duration)
        : start(QDateTime::fromString(startTime, kTimeFormat))
        , end(start.addSecs(duration))
    {
    }
    bool isValid() const { return start.isValid(); }
};

// A start that is not "yyyyMMddhhmmss" makes no request, but the page waits for its
// answer: it gets a failure with the reason rather than no call at all.
bool refusedBadStart(const RecordSpan &span, const QJSValue &callback)
{
    if (span.isValid())
        return false;
    NetworkManagerPrivate::jsCall(callback, false, kBadStartTime);
    return true;
}

void valueReply(const QJSValue &callback, const char *operation, const HttpRequest *reply, const QString &member)
{
    if (reply->error != 0) {
        const QString text = NetworkManagerPrivate::failureText(reply);
        qDebug() << (QByteArray(operation) + " error").constData() << text;
        NetworkManagerPrivate::jsCall(callback, false, text);
        return;
    }
    NetworkManagerPrivate::jsCall(callback, true, ReplyEnvelope(reply->data).legacyBody().value(member).toString());
}

} // namespace

void NetworkManager::getRecordListForMonth(int channelId, int year, int month, int recordType, QJSValue callback)
{
    ApiQuery query;
    query.add(QStringLiteral("id"), channelId)
        .add(QStringLiteral("recordType"), recordTypeText(recordType))
        .add(QStringLiteral("period"), QDate(year, month, 1).toString(QStringLiteral("yyyyMM")));
    d->send(d->newRequest(QStringLiteral("api/v1/record/querymonthly?") + query.toString()),
            [callback](HttpRequest *reply) {
                if (reply->error != 0) {
                    NetworkManagerPrivate::logFailure("getRecordListForMonth", reply);
                    return;
                }
                const QString text = QString::fromUtf8(reply->data).remove(QLatin1Char('"'));
                QJsonArray days;
                for (const QChar &c : text)
                    days.append(QString(c));
                NetworkManagerPrivate::dataReply(callback, days);
            });
}

void NetworkManager::getRecordListForDay(int channelId, int year, int month, int day, int recordType,
                                         QJSValue callback, int start, int limit)
{
    ApiQuery query;
    query.add(QStringLiteral("id"), channelId)
        .add(QStringLiteral("recordType"), recordTypeText(recordType))
        .add(QStringLiteral("period"), QDate(year, month, day).toString(QStringLiteral("yyyyMMdd")))
        .add(QStringLiteral("start"), start)
        .add(QStringLiteral("limit"), limit);
    d->send(d->newRequest(QStringLiteral("api/v1/record/querydaily?") + query.toString()),
            [callback](HttpRequest *reply) {
                if (reply->error != 0) {
                    NetworkManagerPrivate::logFailure("getRecordListForDay", reply);
                    return;
                }
                NetworkManagerPrivate::dataReply(callback, ReplyEnvelope(reply->data).bareObject());
            });
}

void NetworkManager::setRecordImportant(int channelId, QString period, bool important, QJSValue callback)
{
    ApiQuery query;
    query.add(QStringLiteral("id"), channelId)
        .add(QStringLiteral("period"), period)
        .addFlag(QStringLiteral("important"), important);
    d->send(d->newRequest(QStringLiteral("api/v1/record/setimportant?") + query.toString()),
            NetworkManagerPrivate::ackHandler(callback, "setRecordImportant"));
}

void NetworkManager::removeRecord(int channelId, QString period, QJSValue callback)
{
    ApiQuery query;
    query.add(QStringLiteral("id"), channelId).add(QStringLiteral("period"), period);
    d->send(d->newRequest(QStringLiteral("api/v1/record/remove?") + query.toString()),
            NetworkManagerPrivate::ackHandler(callback, "removeRecord"));
}

void NetworkManager::getDeviceRecordUrl(int channelId, QString fileName, QString startTime, int duration,
                                        QJSValue callback)
{
    const RecordSpan span(startTime, duration);
    if (refusedBadStart(span, callback))
        return;
    ApiQuery query;
    query.add(QStringLiteral("channel"), channelId)
        .add(QStringLiteral("file"), fileName)
        .add(QStringLiteral("protocol"), QStringLiteral("flv"))
        .add(QStringLiteral("stime"), startTime)
        .add(QStringLiteral("etime"), span.end.toString(kTimeFormat));
    qDebug() << SecretMask::text(query.toString());
    d->send(d->newRequest(QStringLiteral("api/v1/devices/record/playback?") + query.toString()),
            [callback](HttpRequest *reply) {
                valueReply(callback, "getDeviceRecordUrl", reply, QStringLiteral("URL"));
            });
}

void NetworkManager::getDeviceRecordDownloadUrl(int channelId, QString fileName, QString startTime, int duration,
                                                QJSValue callback)
{
    const RecordSpan span(startTime, duration);
    if (refusedBadStart(span, callback))
        return;
    // Every part is substituted in one pass and encoded, so a file name holding "%6",
    // "/", "?" or "#" cannot reshape the address.
    const QString url = QStringLiteral("%1/api/v1/record/downloaddevicerecord/%2/%3/%4?start_time=%5&end_time=%6")
                            .arg(d->serverRoot(), QString::number(channelId), ApiQuery::encode(fileName),
                                 QString::number(duration), ApiQuery::encode(startTime),
                                 span.end.toString(kTimeFormat));
    NetworkManagerPrivate *p = d.data();
    d->send(new HttpRequest(url), [p, channelId, callback](HttpRequest *reply) {
        if (reply->error != 0) {
            valueReply(callback, "getDeviceRecordDownloadUrl", reply, QString());
            return;
        }
        const QString streamId = ReplyEnvelope(reply->data).legacyBody().value(QStringLiteral("url")).toString();
        ApiQuery query;
        query.add(QStringLiteral("channel"), channelId).add(QStringLiteral("streamid"), streamId);
        p->send(p->newRequest(QStringLiteral("api/v1/record/downloadrecord/streaminfo?") + query.toString()),
                [callback](HttpRequest *second) {
                    valueReply(callback, "getDeviceRecordDownloadUrl", second, QStringLiteral("PlaybackFileURL"));
                });
    });
}
