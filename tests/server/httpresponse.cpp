#include "httpresponse.h"

#include <QJsonDocument>

void HttpResponse::addHeader(const QByteArray &name, const QByteArray &value)
{
    headers.append(qMakePair(name, value));
}

HttpResponse HttpResponse::json(const QJsonObject &object, int status)
{
    HttpResponse r;
    r.status = status;
    r.contentType = "application/json; charset=utf-8";
    r.body = QJsonDocument(object).toJson(QJsonDocument::Compact);
    return r;
}

HttpResponse HttpResponse::json(const QJsonArray &array, int status)
{
    HttpResponse r;
    r.status = status;
    r.contentType = "application/json; charset=utf-8";
    r.body = QJsonDocument(array).toJson(QJsonDocument::Compact);
    return r;
}

HttpResponse HttpResponse::text(int status, const QByteArray &text)
{
    HttpResponse r;
    r.status = status;
    r.contentType = "text/plain; charset=utf-8";
    r.body = text;
    return r;
}

HttpResponse HttpResponse::bytes(const QByteArray &body, const QByteArray &contentType)
{
    HttpResponse r;
    r.contentType = contentType;
    r.body = body;
    return r;
}

HttpResponse HttpResponse::envelope(const QJsonObject &body)
{
    return json(QJsonObject{{QStringLiteral("ZelkaVSS"), QJsonObject{{QStringLiteral("Body"), body}}}});
}

QByteArray HttpResponse::reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 101: return "Switching Protocols";
    case 204: return "No Content";
    case 206: return "Partial Content";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 413: return "Payload Too Large";
    case 416: return "Range Not Satisfiable";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}
