#include "style.h"

#include <QDebug>

class StylePrivate
{
public:
    QHash<QString, QString> images;
    QHash<QString, QString> colors;
};

Style::Style(QObject *parent)
    : QObject(parent)
    , d(new StylePrivate)
{
}

Style::~Style() = default;

QString Style::invalidText(const QString &id)
{
    return QLatin1Char('[') + id + QStringLiteral("] Invalid!");
}

QString Style::image(const QString &id) const
{
    const auto it = d->images.constFind(id);
    return it != d->images.constEnd() ? it.value() : invalidText(id);
}

QString Style::color(const QString &id) const
{
    const auto it = d->colors.constFind(id);
    if (it != d->colors.constEnd())
        return it.value();
    qWarning().noquote() << QStringLiteral("Warning: ") + invalidText(id);
    return invalidText(id);
}

void Style::setTables(const QHash<QString, QString> &colors, const QHash<QString, QString> &images)
{
    d->colors = colors;
    d->images = images;
}

void Style::clear()
{
    d->colors.clear();
    d->images.clear();
}

int Style::colorCount() const
{
    return int(d->colors.size());
}

int Style::imageCount() const
{
    return int(d->images.size());
}

QStringList Style::imageKeys() const
{
    return d->images.keys();
}
