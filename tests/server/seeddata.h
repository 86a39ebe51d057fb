#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// The platform's data as the test server holds it: seeded from one JSON file and
// changed by the calls that change things (favourites, alarms, record flags).
// Keys beginning with "_" are the server's own and never leave it.
class SeedData
{
public:
    bool load(const QByteArray &json, QString *error);

    QJsonObject user(const QString &name) const;     // empty when unknown
    QString firstUserName() const;
    QStringList userNames() const;
    QString captcha() const;
    bool captchaRequired() const;
    QJsonObject otherConfig() const;
    QJsonObject serverInfo() const;
    QJsonArray adverts() const;
    QJsonArray disks() const;
    QJsonObject load() const;

    QList<QJsonObject> devices() const;               // with their channel counts
    QJsonObject device(int deviceId) const;
    QList<QJsonObject> topChannels(int deviceId) const; // -1 = of every device
    QList<QJsonObject> subChannels(const QString &gbChannelId) const;
    QJsonObject channel(int channelId) const;         // any level; empty when unknown
    bool setFavourite(int deviceId, int channelId, bool favourite);

    QList<QJsonObject> groups() const;                // with onlineChannelNums
    QList<int> groupChannels(int labelId) const;

    QList<QJsonObject> alarms() const;
    int removeAlarms(const QList<int> &ids);
    void clearAlarms();

    bool hasRecords(int channelId, bool device, int day) const;
    QJsonArray dayRecords(int channelId, bool device, const QString &yyyyMMdd) const;
    bool recordExists(int channelId, const QString &startAt) const;
    std::optional<int> recordDuration(int channelId, const QString &startAt) const;
    QList<int> recordDurations() const; // of the day's slots
    void setRecordImportant(int channelId, const QString &startAt, bool important);
    void removeRecord(int channelId, const QString &startAt);

    static QJsonObject publicObject(const QJsonObject &object);

private:
    QJsonObject record(int channelId, const QString &startAt) const; // empty when there is none
    int channelIndex(int channelId) const;
    QJsonObject withDeviceCounts(const QJsonObject &device) const;

    QJsonObject m_root;
    QList<QJsonObject> m_devices;
    QList<QJsonObject> m_channels;
    QList<QJsonObject> m_alarms;
    QSet<QString> m_importantRecords;
    QSet<QString> m_removedRecords;
};
