#pragma once

#include <QObject>
#include <QStringList>
#include <QVariant>

// Reads "./config/config.ini" as written at the moment of the call ("configFile"), so
// tests check what reached the file rather than what the settings object holds.
class ConfigFileReader : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString path READ path CONSTANT)

public:
    explicit ConfigFileReader(QObject *parent = nullptr);

    QString path() const;

    Q_INVOKABLE bool exists() const;
    // A key as "Group/Key" ("Global/Username"); defaultValue when the file or key is missing.
    Q_INVOKABLE QVariant value(const QString &key, const QVariant &defaultValue = QVariant()) const;
    Q_INVOKABLE bool contains(const QString &key) const;
    Q_INVOKABLE QStringList keys() const;
    // The raw text, for checks of what must never appear in the file.
    Q_INVOKABLE QString text() const;
    // Removes the file, for tests that begin without one.
    Q_INVOKABLE bool remove() const;

private:
    QVariantMap snapshot() const;

    QString m_path;
};
