#pragma once

#include <QHash>
#include <QObject>
#include <QScopedPointer>
#include <QString>

class StylePrivate;

// The colour and picture tables the pages look up by style key.
class Style : public QObject
{
    Q_OBJECT

public:
    explicit Style(QObject *parent = nullptr);
    ~Style() override;

    // The text every lookup of an unknown key gives.
    static QString invalidText(const QString &id);

    Q_INVOKABLE QString image(const QString &id) const;
    Q_INVOKABLE QString color(const QString &id) const;

    void setTables(const QHash<QString, QString> &colors, const QHash<QString, QString> &images);
    void clear();
    int colorCount() const;
    int imageCount() const;
    QStringList imageKeys() const;

private:
    QScopedPointer<StylePrivate> d;
};
