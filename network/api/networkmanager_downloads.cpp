// Record downloads of the three kinds, each with its table of running downloads.
#include <QDebug>

#include "apiquery.h"
#include "networkmanager.h"
#include "networkmanager_p.h"
#include "safefilename.h"
#include "secretmask.h"
#include "settings.h"

namespace {

const QString kAlreadyRunning = QStringLiteral("录像正在下载");

} // namespace

QString NetworkManagerPrivate::downloadKey(const QString &title, int id, const QString &period)
{
    QString key = title + QLatin1Char('-') + QString::number(id) + QLatin1Char('-') + period
        + QStringLiteral(".mp4");
    key.replace(QLatin1Char(' '), QLatin1Char('-')).replace(QLatin1Char(':'), QLatin1Char('-'));
    return SafeFileName::fromText(key);
}

QHash<QString, HttpRequest *> &NetworkManagerPrivate::downloadTable(DownloadKind kind)
{
    switch (kind) {
    case DownloadKind::Record:
        return recordDownloads;
    case DownloadKind::DeviceRecord:
        return deviceRecordDownloads;
    case DownloadKind::AlarmRecord:
        break;
    }
    return alarmRecordDownloads;
}

void NetworkManagerPrivate::startDownload(DownloadKind kind, HttpRequest *request, const QString &key,
                                          const QJSValue &progress, const QJSValue &finished)
{
    // The key is also the file name, and the three kinds share one folder: the same key
    // running in two tables would have two transfers write one file. It is refused in
    // every table, not only in the kind's own.
    if (recordDownloads.contains(key) || deviceRecordDownloads.contains(key) || alarmRecordDownloads.contains(key)) {
        delete request;
        jsCall(finished, false, kAlreadyRunning);
        return;
    }
    request->type = HttpRequest::Download;
    request->filePath = q->getRecordPath() + key;
    if (kind == DownloadKind::AlarmRecord)
        qDebug() << SecretMask::text(request->path) << request->filePath;
    QObject::connect(request, &HttpRequest::downloadProgress, q, [progress](qlonglong received, qlonglong total) {
        if (progress.isCallable())
            progress.call({QJSValue(double(received)), QJSValue(double(total))});
    });
    downloadTable(kind).insert(key, request);
    send(request, [this, kind, key, finished](HttpRequest *reply) {
        // Out of the table before the page hears of it: a stop from inside the callback
        // then finds nothing and cannot touch the finished file.
        downloadTable(kind).remove(key);
        if (reply->error == 0) {
            jsCall(finished, true, QString());
            return;
        }
        const char *operation = kind == DownloadKind::Record   ? "downloadRecord"
            : kind == DownloadKind::DeviceRecord             ? "downloadDeviceRecord"
                                                              : "downAlarmRecord";
        if (kind == DownloadKind::DeviceRecord) {
            const QString text = failureText(reply);
            qDebug() << (QByteArray(operation) + " error").constData() << text;
            jsCall(finished, false, text);
        } else {
            logFailure(operation, reply);
            jsCall(finished, false, QString());
        }
    });
}

void NetworkManagerPrivate::stopDownload(DownloadKind kind, const QString &key)
{
    if (HttpRequest *request = downloadTable(kind).value(key))
        emit request->stopDownload();
}

void NetworkManager::downloadRecord(QString title, int channelId, QString period, QJSValue progressCallback,
                                    QJSValue finishedCallback)
{
    const QString url = QStringLiteral("%1/api/v1/record/download/%2/%3")
                            .arg(d->serverRoot(), QString::number(channelId), ApiQuery::encode(period));
    d->startDownload(NetworkManagerPrivate::DownloadKind::Record, new HttpRequest(url),
                     NetworkManagerPrivate::downloadKey(title, channelId, period), progressCallback, finishedCallback);
}

void NetworkManager::stopDownloadRecord(QString title, int channelId, QString period, QJSValue callback)
{
    Q_UNUSED(callback);
    d->stopDownload(NetworkManagerPrivate::DownloadKind::Record,
                    NetworkManagerPrivate::downloadKey(title, channelId, period));
}

void NetworkManager::downloadDeviceRecord(QString url, QString title, int channelId, QString period,
                                          QJSValue progressCallback, QJSValue finishedCallback)
{
    d->startDownload(NetworkManagerPrivate::DownloadKind::DeviceRecord, d->newRequest(url),
                     NetworkManagerPrivate::downloadKey(title, channelId, period), progressCallback, finishedCallback);
}

void NetworkManager::stopDownloadDeviceRecord(QString title, int channelId, QString period, QJSValue callback)
{
    Q_UNUSED(callback);
    d->stopDownload(NetworkManagerPrivate::DownloadKind::DeviceRecord,
                    NetworkManagerPrivate::downloadKey(title, channelId, period));
}

void NetworkManager::downAlarmRecord(QString url, QString title, int alarmId, QString period,
                                     QJSValue progressCallback, QJSValue finishedCallback)
{
    d->startDownload(NetworkManagerPrivate::DownloadKind::AlarmRecord, d->newRequest(url),
                     NetworkManagerPrivate::downloadKey(title, alarmId, period), progressCallback, finishedCallback);
}

void NetworkManager::stopDownloadAlarmRecord(QString title, int alarmId, QString period, QJSValue callback)
{
    Q_UNUSED(callback);
    d->stopDownload(NetworkManagerPrivate::DownloadKind::AlarmRecord,
                    NetworkManagerPrivate::downloadKey(title, alarmId, period));
}
