#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

// One named setting handed to a geo-service plugin.
class GeoPluginParameter : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QVariant value READ value WRITE setValue NOTIFY valueChanged)

public:
    explicit GeoPluginParameter(QObject *parent = nullptr);

    QString name() const;
    void setName(const QString &name);
    QVariant value() const;
    void setValue(const QVariant &value);

signals:
    void nameChanged();
    void valueChanged();

private:
    QString m_name;
    QVariant m_value;
};
