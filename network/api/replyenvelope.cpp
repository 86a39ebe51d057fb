#include "replyenvelope.h"

#include <QJsonDocument>

ReplyEnvelope::ReplyEnvelope(const QByteArray &body)
{
    const QJsonDocument document = QJsonDocument::fromJson(body);
    m_object = document.object();
    m_array = document.array();
}

QJsonObject ReplyEnvelope::legacyBody() const
{
    return m_object.value(QStringLiteral("ZelkaVSS")).toObject().value(QStringLiteral("Body")).toObject();
}

QJsonObject ReplyEnvelope::legacyBodyObject(const QString &member) const
{
    return legacyBody().value(member).toObject();
}

QJsonArray ReplyEnvelope::legacyBodyArray(const QString &member) const
{
    return legacyBody().value(member).toArray();
}

QJsonArray ReplyEnvelope::dataArray() const
{
    return m_object.value(QStringLiteral("data")).toArray();
}

int ReplyEnvelope::count() const
{
    return m_object.value(QStringLiteral("count")).toInt(0);
}

QJsonObject ReplyEnvelope::bareObject() const
{
    return m_object;
}

QJsonArray ReplyEnvelope::bareArray() const
{
    return m_array;
}
