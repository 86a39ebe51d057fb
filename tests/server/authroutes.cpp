#include "authroutes.h"

#include <QCryptographicHash>
#include <QHash>
#include <QJsonObject>
#include <QRandomGenerator>

namespace {

QByteArray md5Hex(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex();
}

// Splits `k1="v1", k2=v2` at commas outside quotes.
QHash<QByteArray, QByteArray> digestParameters(const QByteArray &text)
{
    QHash<QByteArray, QByteArray> parameters;
    QList<QByteArray> pieces;
    QByteArray current;
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        if (c == ',' && !quoted) {
            pieces.append(current);
            current.clear();
        } else {
            current.append(c);
        }
    }
    pieces.append(current);
    for (const QByteArray &piece : pieces) {
        const int equals = piece.indexOf('=');
        if (equals <= 0)
            continue;
        QByteArray value = piece.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2);
        parameters.insert(piece.left(equals).trimmed().toLower(), value);
    }
    return parameters;
}

QByteArray requestTarget(const TestServerRequest &request)
{
    QByteArray target = request.path.toUtf8();
    if (!request.rawQuery.isEmpty())
        target += '?' + request.rawQuery;
    return target;
}

} // namespace

AuthRoutes::AuthRoutes()
    : m_nonce(QByteArray::number(QRandomGenerator::global()->generate64(), 16))
{
}

void AuthRoutes::setCredentials(const QString &userName, const QString &password)
{
    m_userName = userName;
    m_password = password;
}

QByteArray AuthRoutes::realm()
{
    return "zelka-test";
}

QByteArray AuthRoutes::nonce() const
{
    return m_nonce;
}

bool AuthRoutes::handles(const QString &path) const
{
    return path == QLatin1String("/auth/digest") || path == QLatin1String("/auth/digest-noqop")
           || path == QLatin1String("/auth/basic");
}

HttpResponse AuthRoutes::handle(const TestServerRequest &request) const
{
    const bool basic = request.path == QLatin1String("/auth/basic");
    const bool withQop = request.path == QLatin1String("/auth/digest");
    const bool accepted = basic ? basicAccepted(request) : digestAccepted(request, withQop);
    if (accepted) {
        return HttpResponse::json(QJsonObject{{QStringLiteral("auth"), basic ? QStringLiteral("basic") : QStringLiteral("digest")},
                                              {QStringLiteral("user"), m_userName},
                                              {QStringLiteral("method"), QString::fromLatin1(request.method)},
                                              {QStringLiteral("body"), QString::fromUtf8(request.body)}});
    }
    if (basic)
        return challenge("Basic realm=\"" + realm() + '"');
    QByteArray value = "Digest realm=\"" + realm() + "\", nonce=\"" + m_nonce + "\", algorithm=MD5";
    if (withQop)
        value += ", qop=\"auth\"";
    return challenge(value);
}

bool AuthRoutes::digestAccepted(const TestServerRequest &request, bool withQop) const
{
    const QByteArray authorization = request.header("Authorization");
    if (!authorization.toLower().startsWith("digest "))
        return false;
    const auto p = digestParameters(authorization.mid(7));
    if (p.value("username") != m_userName.toUtf8() || p.value("realm") != realm() || p.value("nonce") != m_nonce
        || p.value("uri") != requestTarget(request))
        return false;
    const QByteArray ha1 = md5Hex(m_userName.toLatin1() + ':' + realm() + ':' + m_password.toLatin1());
    const QByteArray ha2 = md5Hex(request.method + ':' + p.value("uri"));
    QByteArray expected;
    if (withQop) {
        if (p.value("qop") != "auth" || p.value("nc").isEmpty() || p.value("cnonce").isEmpty())
            return false;
        expected = md5Hex(ha1 + ':' + m_nonce + ':' + p.value("nc") + ':' + p.value("cnonce") + ":auth:" + ha2);
    } else {
        expected = md5Hex(ha1 + ':' + m_nonce + ':' + ha2);
    }
    return p.value("response").toLower() == expected;
}

bool AuthRoutes::basicAccepted(const TestServerRequest &request) const
{
    const QByteArray authorization = request.header("Authorization");
    if (!authorization.toLower().startsWith("basic "))
        return false;
    return QByteArray::fromBase64(authorization.mid(6).trimmed()) == (m_userName + QLatin1Char(':') + m_password).toLatin1();
}

HttpResponse AuthRoutes::challenge(const QByteArray &value) const
{
    HttpResponse response = HttpResponse::text(401, "authentication required");
    response.addHeader("WWW-Authenticate", value);
    return response;
}
