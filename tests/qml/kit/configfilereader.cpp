#include "configfilereader.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

ConfigFileReader::ConfigFileReader(QObject *parent)
    : QObject(parent)
    , m_path(QDir::current().absoluteFilePath(QStringLiteral("config/config.ini")))
{
}

QString ConfigFileReader::path() const
{
    return m_path;
}

bool ConfigFileReader::exists() const
{
    return QFile::exists(m_path);
}

QVariant ConfigFileReader::value(const QString &key, const QVariant &defaultValue) const
{
    return snapshot().value(key, defaultValue);
}

bool ConfigFileReader::contains(const QString &key) const
{
    return snapshot().contains(key);
}

QStringList ConfigFileReader::keys() const
{
    return snapshot().keys();
}

QString ConfigFileReader::text() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

bool ConfigFileReader::remove() const
{
    return !exists() || QFile::remove(m_path);
}

// QSettings caches files by name within the process, and a rewrite in the same second
// with the same size can look unchanged: each read goes through a fresh copy.
QVariantMap ConfigFileReader::snapshot() const
{
    QVariantMap values;
    QTemporaryDir directory;
    const QString copy = directory.filePath(QStringLiteral("config.ini"));
    if (!directory.isValid() || !QFile::copy(m_path, copy))
        return values;
    QSettings file(copy, QSettings::IniFormat);
    const QStringList keys = file.allKeys();
    for (const QString &key : keys)
        values.insert(key, file.value(key));
    return values;
}
