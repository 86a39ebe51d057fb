#include "httprequest.h"

#include <QThread>

HttpRequest::HttpRequest(const QString &host, int port, const QString &path, const QByteArray &body,
                         RequestType type, DataType dataType, QObject *parent)
    : QObject(parent)
    , host(host)
    , port(port)
    , path(path)
    , body(body)
    , type(type)
    , dataType(dataType)
{
}

HttpRequest::HttpRequest(const QString &fullUrl, const QByteArray &body, RequestType type, DataType dataType,
                         QObject *parent)
    : QObject(parent)
    , fullUrl(fullUrl)
    , body(body)
    , type(type)
    , dataType(dataType)
{
}

HttpRequest::~HttpRequest() = default;

void HttpRequest::deleteLater()
{
    QThread *owner = thread();
    if (owner && owner->isRunning())
        QObject::deleteLater();
    else
        delete this;
}
