#include "mapsource.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

constexpr int kSmallestTileSize = 16;
constexpr int kLargestTileSize = 4096;

enum class TemplateKind { Invalid, Remote, LocalFile, ServerPath };

TemplateKind templateKind(const QString &text)
{
    if (text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        return TemplateKind::Remote;
    if (text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return TemplateKind::LocalFile;
    if (text.startsWith(QLatin1Char('/')))
        return TemplateKind::ServerPath;
    return TemplateKind::Invalid;
}

// Why a tile address template cannot be used; empty when it can.
QString templateProblem(const QString &text)
{
    QStringList missing;
    for (const char *field : {"{z}", "{x}", "{y}"}) {
        if (!text.contains(QLatin1String(field)))
            missing.append(QLatin1String(field));
    }
    if (!missing.isEmpty())
        return QStringLiteral("its url lacks %1").arg(missing.join(QLatin1String(", ")));
    if (templateKind(text) == TemplateKind::Invalid)
        return QStringLiteral("its url is neither an http(s) address, a file: folder nor a server path");
    return {};
}

// Reads a whole number within [lowest, highest]; anything else keeps the default.
int boundedNumber(const QJsonObject &object, const char *key, int fallback, int lowest, int highest,
                  QStringList *problems)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined())
        return fallback;
    const double number = value.toDouble(-1);
    if (!value.isDouble() || number != int(number) || number < lowest || number > highest) {
        problems->append(QStringLiteral("%1 must be a whole number from %2 to %3; using %4")
                             .arg(QLatin1String(key)).arg(lowest).arg(highest).arg(fallback));
        return fallback;
    }
    return int(number);
}

bool readLayer(const QJsonValue &value, int index, MapSourceLayer *layer, QStringList *problems)
{
    const QString where = QStringLiteral("map type %1").arg(index);
    if (!value.isObject()) {
        problems->append(where + QStringLiteral(" dropped: not a JSON object"));
        return false;
    }
    const QJsonObject object = value.toObject();
    const QString styleName = object.value(QLatin1String("style")).toString();
    if (!GeoMapType::styleFromName(styleName, &layer->style)) {
        problems->append(where + QStringLiteral(" dropped: unknown style \"%1\"").arg(styleName));
        return false;
    }
    layer->urlTemplate = object.value(QLatin1String("url")).toString();
    const QString problem = templateProblem(layer->urlTemplate);
    if (!problem.isEmpty()) {
        problems->append(where + QStringLiteral(" dropped: ") + problem);
        return false;
    }
    layer->name = object.value(QLatin1String("name")).toString(styleName);
    layer->description = object.value(QLatin1String("description")).toString();
    return true;
}

QUrl localFileUrl(const QString &address)
{
    const QString path = QUrl(address).toLocalFile();
    if (QDir::isAbsolutePath(path))
        return QUrl::fromLocalFile(path);
    return QUrl::fromLocalFile(QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(path));
}

// The address without its user and with the query values that are not placeholders hidden.
QString withoutSecrets(QString address)
{
    const int fragment = address.indexOf(QLatin1Char('#'));
    if (fragment >= 0)
        address.truncate(fragment);
    static const QRegularExpression user(QStringLiteral("^([A-Za-z]+://)[^/?@]*@"));
    address.replace(user, QStringLiteral("\\1"));
    const int query = address.indexOf(QLatin1Char('?'));
    if (query < 0)
        return address;
    const QStringList placeholders{QStringLiteral("{z}"), QStringLiteral("{x}"), QStringLiteral("{y}")};
    QStringList items = address.mid(query + 1).split(QLatin1Char('&'));
    for (QString &item : items) {
        const int equals = item.indexOf(QLatin1Char('='));
        if (equals >= 0 && !placeholders.contains(item.mid(equals + 1)))
            item = item.left(equals + 1) + QLatin1String("***");
    }
    return address.left(query + 1) + items.join(QLatin1Char('&'));
}

} // namespace

MapSource MapSource::fromJson(const QByteArray &json, QStringList *problems)
{
    MapSource source;
    if (json.trimmed().isEmpty()) {
        problems->append(QStringLiteral("the map source is empty"));
        return source;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        problems->append(error.error != QJsonParseError::NoError
                             ? QStringLiteral("the map source is not JSON: %1 at offset %2").arg(error.errorString()).arg(error.offset)
                             : QStringLiteral("the map source is not a JSON object"));
        return source;
    }
    const QJsonObject root = document.object();
    source.m_tileSize = boundedNumber(root, "tileSize", kDefaultTileSize, kSmallestTileSize, kLargestTileSize, problems);
    source.m_maximumZoomLevel =
        boundedNumber(root, "maximumZoomLevel", kDefaultMaximumZoomLevel, 0, kHighestZoomLevel, problems);
    const QJsonValue types = root.value(QLatin1String("mapTypes"));
    if (!types.isArray()) {
        problems->append(QStringLiteral("the map source has no \"mapTypes\" array"));
        return source;
    }
    const QJsonArray entries = types.toArray();
    for (int i = 0; i < entries.size(); ++i) {
        MapSourceLayer layer;
        if (readLayer(entries.at(i), i, &layer, problems))
            source.m_layers.append(layer);
    }
    if (source.m_layers.isEmpty())
        problems->append(QStringLiteral("the map source offers no usable map type"));
    return source;
}

int MapSource::tileSize() const
{
    return m_tileSize;
}

int MapSource::maximumZoomLevel() const
{
    return m_maximumZoomLevel;
}

const QList<MapSourceLayer> &MapSource::layers() const
{
    return m_layers;
}

QUrl MapSource::tileUrl(int layer, int z, int x, int y, const QString &serverRoot) const
{
    if (layer < 0 || layer >= m_layers.size())
        return {};
    QString address = m_layers.at(layer).urlTemplate;
    address.replace(QLatin1String("{z}"), QString::number(z))
        .replace(QLatin1String("{x}"), QString::number(x))
        .replace(QLatin1String("{y}"), QString::number(y));
    switch (templateKind(address)) {
    case TemplateKind::Remote:
        return QUrl(address);
    case TemplateKind::LocalFile:
        return localFileUrl(address);
    case TemplateKind::ServerPath:
        return QUrl(serverRoot + address);
    case TemplateKind::Invalid:
        break;
    }
    return {};
}

QString MapSource::loggableTemplate(int layer, const QString &serverRoot) const
{
    if (layer < 0 || layer >= m_layers.size())
        return {};
    const QString address = m_layers.at(layer).urlTemplate;
    switch (templateKind(address)) {
    case TemplateKind::Remote:
        return withoutSecrets(address);
    case TemplateKind::LocalFile:
        return localFileUrl(address).toLocalFile();
    case TemplateKind::ServerPath:
        return withoutSecrets(serverRoot + address);
    case TemplateKind::Invalid:
        break;
    }
    return {};
}
