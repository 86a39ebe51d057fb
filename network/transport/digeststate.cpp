#include "digeststate.h"

#include <QCryptographicHash>
#include <QStringList>

namespace {

QString md5Hex(const QString &text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text.toLatin1(), QCryptographicHash::Md5).toHex());
}

} // namespace

const char *const DigestState::clientNonce = "9c4a71e0d2b85f36";

QByteArray DigestState::authorization(const QString &method, const QString &path, const QString &username,
                                      const QString &password) const
{
    const QString ha1 = md5Hex(QStringLiteral("%1:%2:%3").arg(username, realm, password));
    const QString ha2 = md5Hex(QStringLiteral("%1:/%2").arg(method, path));
    const QString nc = QStringLiteral("%1").arg(nonceCount, 8, 16, QLatin1Char('0'));
    const QString cnonce = QString::fromLatin1(clientNonce);
    const QString response = qop.isEmpty()
        ? md5Hex(QStringLiteral("%1:%2:%3").arg(ha1, nonce, ha2))
        : md5Hex(QStringLiteral("%1:%2:%3:%4:%5:%6").arg(ha1, nonce, nc, cnonce, qop, ha2));
    return QStringLiteral("Digest username=\"%1\", realm=\"%2\", nonce=\"%3\", uri=\"/%4\", cnonce=\"%5\", "
                          "nc=%6, algorithm=MD5, response=\"%7\", qop=%8")
        .arg(username, realm, nonce, path, cnonce, nc, response, qop)
        .toUtf8();
}

void DigestState::readChallenge(const QString &challenge)
{
    const int blank = challenge.indexOf(QLatin1Char(' '));
    if (blank < 0)
        return;
    const QStringList pieces = challenge.mid(blank + 1).split(QLatin1Char(','));
    for (const QString &raw : pieces) {
        const QString piece = raw.trimmed();
        const int equals = piece.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString name = piece.left(equals).trimmed();
        const QString value = piece.mid(equals + 1).trimmed().remove(QLatin1Char('"'));
        if (name == QLatin1String("realm"))
            realm = value;
        else if (name == QLatin1String("nonce"))
            nonce = value;
        else if (name == QLatin1String("qop"))
            qop = value;
    }
}

QString DigestState::schemeOf(const QString &challenge)
{
    const int blank = challenge.indexOf(QLatin1Char(' '));
    return (blank < 0 ? challenge : challenge.left(blank)).trimmed().toLower();
}

QByteArray DigestState::basicAuthorization(const QString &username, const QString &password)
{
    return "Basic " + QStringLiteral("%1:%2").arg(username, password).toLatin1().toBase64();
}
