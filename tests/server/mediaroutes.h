#pragma once

#include "httpresponse.h"
#include "testserver.h"

class MediaFixtures;

// Media over HTTP, all without a token: snapshot bodies, pictures, record files with
// byte ranges, HLS, and the endless HTTP-FLV live stream.
class MediaRoutes
{
public:
    explicit MediaRoutes(MediaFixtures &fixtures);

    void setCaptchaText(const QString &text);
    bool handles(const QString &path) const;
    HttpResponse handle(const TestServerRequest &request);

    // Answers a file body, honouring a "Range: bytes=" header (206 / 416).
    static HttpResponse ranged(const TestServerRequest &request, const QByteArray &body, const QByteArray &contentType);

private:
    QString fixtureFor(const QString &path, QByteArray *contentType) const;

    MediaFixtures &m_fixtures;
    QString m_captchaText;
};
