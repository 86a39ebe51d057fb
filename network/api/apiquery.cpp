#include "apiquery.h"

#include <QUrl>

ApiQuery &ApiQuery::add(const QString &key, const QString &value)
{
    m_items.append(encode(key) + QLatin1Char('=') + encode(value));
    return *this;
}

ApiQuery &ApiQuery::add(const QString &key, int value)
{
    return add(key, QString::number(value));
}

ApiQuery &ApiQuery::addFlag(const QString &key, bool value)
{
    return add(key, value ? QStringLiteral("true") : QStringLiteral("false"));
}

QString ApiQuery::toString() const
{
    return m_items.join(QLatin1Char('&'));
}

QString ApiQuery::encode(const QString &value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}
