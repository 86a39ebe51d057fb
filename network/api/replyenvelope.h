#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>

// Unwraps the server's reply shapes; anything missing, mistyped or not JSON at all
// gives an empty object or array, never a failure.
class ReplyEnvelope
{
public:
    explicit ReplyEnvelope(const QByteArray &body);

    // {"ZelkaVSS": {"Body": {...}}}
    QJsonObject legacyBody() const;
    QJsonObject legacyBodyObject(const QString &member) const;
    QJsonArray legacyBodyArray(const QString &member) const;
    // {"data": [...]} and {"count": n, "data": [...]}
    QJsonArray dataArray() const;
    int count() const;
    // A top-level object or array.
    QJsonObject bareObject() const;
    QJsonArray bareArray() const;

private:
    QJsonObject m_object;
    QJsonArray m_array;
};
