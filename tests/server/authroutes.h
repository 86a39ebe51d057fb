#pragma once

#include "httpresponse.h"
#include "testserver.h"

#include <QByteArray>
#include <QString>

// Routes that demand HTTP authentication, for the transport's tests:
// "/auth/digest" (Digest MD5, qop="auth"), "/auth/digest-noqop" (Digest MD5 without qop)
// and "/auth/basic". Any method; 200 with a small JSON body once the credentials check out,
// 401 with a challenge otherwise.
class AuthRoutes
{
public:
    AuthRoutes();

    void setCredentials(const QString &userName, const QString &password);
    static QByteArray realm();
    QByteArray nonce() const;

    bool handles(const QString &path) const;
    HttpResponse handle(const TestServerRequest &request) const;

private:
    bool digestAccepted(const TestServerRequest &request, bool withQop) const;
    bool basicAccepted(const TestServerRequest &request) const;
    HttpResponse challenge(const QByteArray &value) const;

    QString m_userName;
    QString m_password;
    QByteArray m_nonce;
};
