#pragma once

#include <QByteArray>
#include <QString>

// What the last Digest challenge told us, shared by every authenticated exchange.
class DigestState
{
public:
    static const char *const clientNonce;

    QString realm;
    QString nonce;
    QString qop;
    int nonceCount = 1;

    // The value of the Authorization header for one attempt.
    QByteArray authorization(const QString &method, const QString &path, const QString &username,
                             const QString &password) const;

    // Takes realm, nonce and qop from a "Digest ..." challenge; other names are ignored.
    void readChallenge(const QString &challenge);

    static QString schemeOf(const QString &challenge);
    static QByteArray basicAuthorization(const QString &username, const QString &password);
};
