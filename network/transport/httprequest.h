#pragma once

#include <QHttpMultiPart>
#include <QObject>

// One server exchange and, once it is done, its outcome. Made per call without a
// parent; the receiver of finished() releases it with deleteLater().
class HttpRequest : public QObject
{
    Q_OBJECT

public:
    enum RequestType { Get = 0, Post = 1, Put = 2, Download = 3 };
    Q_ENUM(RequestType)
    enum DataType { MultiPart = 0, Json = 1, Xml = 2 };
    Q_ENUM(DataType)

    // Outcome codes of our own, beside the network layer's.
    static constexpr int LocalFileError = 499;
    static constexpr int AuthenticationFailed = 204;

    HttpRequest(const QString &host, int port, const QString &path, const QByteArray &body = QByteArray(),
                RequestType type = Get, DataType dataType = Json, QObject *parent = nullptr);
    HttpRequest(const QString &fullUrl, const QByteArray &body = QByteArray(), RequestType type = Get,
                DataType dataType = Json, QObject *parent = nullptr);
    ~HttpRequest() override;

    // Deferred when the request's thread runs its event loop, immediate otherwise.
    void deleteLater();

    QString fullUrl;
    QString host;
    int port = 0;
    QString path;
    QString token;
    bool useOwnToken = false;
    QByteArray body;
    QHttpMultiPart multiPart;
    RequestType type = Get;
    DataType dataType = Json;
    QString filePath;
    QString errorString;
    int error = 0;
    QByteArray data;
    int authRetryCount = 0;

signals:
    void abort();
    void stopDownload();
    void finished();
    void downloadProgress(qlonglong bytesReceived, qlonglong bytesTotal);
};
