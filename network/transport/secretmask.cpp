#include "secretmask.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

const QString kMask = QStringLiteral("***");

QString maskedQuery(const QString &encodedQuery)
{
    QStringList items = encodedQuery.split(QLatin1Char('&'));
    for (QString &item : items) {
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        const QString key = QUrl::fromPercentEncoding(item.left(equals).toUtf8());
        if (SecretMask::isSecretKey(key))
            item = item.left(equals < 0 ? item.size() : equals) + QLatin1Char('=') + kMask;
    }
    return items.join(QLatin1Char('&'));
}

QString maskedLooseText(QString text)
{
    // "scheme://user:password@" up to the host.
    static const QRegularExpression userInfo(QStringLiteral("\\b([a-z][a-z0-9+.-]*://)[^\\s/?#@]+@"),
                                             QRegularExpression::CaseInsensitiveOption);
    // A secret key at the start of a query item, the value up to the next item.
    static const QRegularExpression secretItem(QStringLiteral("(^|[?&;\\s])(password|token)=[^&#\\s]*"),
                                               QRegularExpression::CaseInsensitiveOption);
    text.replace(userInfo, QStringLiteral("\\1") + kMask + QLatin1Char('@'));
    text.replace(secretItem, QStringLiteral("\\1\\2=") + kMask);
    return text;
}

} // namespace

bool SecretMask::isSecretKey(const QString &key)
{
    return key.compare(QLatin1String("password"), Qt::CaseInsensitive) == 0
        || key.compare(QLatin1String("token"), Qt::CaseInsensitive) == 0;
}

QString SecretMask::url(const QUrl &url)
{
    QUrl masked = url;
    if (!masked.userInfo().isEmpty())
        masked.setUserInfo(kMask);
    if (masked.hasQuery())
        masked.setQuery(maskedQuery(masked.query(QUrl::FullyEncoded)), QUrl::TolerantMode);
    return masked.toString();
}

QString SecretMask::text(const QString &text, const QList<QUrl> &urls)
{
    QString result = text;
    for (const QUrl &address : urls) {
        if (address.isEmpty())
            continue;
        const QString masked = url(address);
        for (const QString &rendering : {address.toString(), address.toString(QUrl::FullyEncoded),
                                         address.toDisplayString(), address.toString(QUrl::RemoveUserInfo)}) {
            if (!rendering.isEmpty())
                result.replace(rendering, masked);
        }
    }
    return maskedLooseText(result);
}
