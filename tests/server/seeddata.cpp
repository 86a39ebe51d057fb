#include "seeddata.h"

#include "recordroutes.h"

#include <QJsonDocument>

namespace {

QList<QJsonObject> objects(const QJsonValue &value)
{
    QList<QJsonObject> list;
    for (const QJsonValue &item : value.toArray())
        list.append(item.toObject());
    return list;
}

int intOf(const QJsonObject &object, const char *key)
{
    return object.value(QLatin1String(key)).toInt();
}

QString recordKey(int channelId, const QString &startAt)
{
    return QString::number(channelId) + QLatin1Char('/') + startAt;
}

bool isSubChannel(const QJsonObject &channel)
{
    return channel.contains(QLatin1String("_ParentChannelID"));
}

} // namespace

bool SeedData::load(const QByteArray &json, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (!document.isObject()) {
        if (error)
            *error = QStringLiteral("seed data is not a JSON object: ") + parseError.errorString();
        return false;
    }
    m_root = document.object();
    m_devices = objects(m_root.value(QLatin1String("Devices")));
    m_channels = objects(m_root.value(QLatin1String("Channels")));
    m_alarms = objects(m_root.value(QLatin1String("Alarms")));
    m_importantRecords.clear();
    m_removedRecords.clear();
    return true;
}

QJsonObject SeedData::user(const QString &name) const
{
    for (const QJsonObject &user : objects(m_root.value(QLatin1String("Users")))) {
        if (user.value(QLatin1String("UserName")).toString() == name)
            return user;
    }
    return {};
}

QString SeedData::firstUserName() const
{
    return objects(m_root.value(QLatin1String("Users"))).value(0).value(QLatin1String("UserName")).toString();
}

QStringList SeedData::userNames() const
{
    QStringList names;
    for (const QJsonObject &user : objects(m_root.value(QLatin1String("Users"))))
        names.append(user.value(QLatin1String("UserName")).toString());
    return names;
}

QString SeedData::captcha() const
{
    return m_root.value(QLatin1String("Captcha")).toString();
}

bool SeedData::captchaRequired() const
{
    return otherConfig().value(QLatin1String("AllowCaptcha")).toBool();
}

QJsonObject SeedData::otherConfig() const
{
    return m_root.value(QLatin1String("OtherConfig")).toObject();
}

QJsonObject SeedData::serverInfo() const
{
    return m_root.value(QLatin1String("ServerInfo")).toObject();
}

QJsonArray SeedData::adverts() const
{
    return m_root.value(QLatin1String("Adverts")).toArray();
}

QJsonArray SeedData::disks() const
{
    return m_root.value(QLatin1String("Disks")).toArray();
}

QJsonObject SeedData::load() const
{
    return m_root.value(QLatin1String("Load")).toObject();
}

QJsonObject SeedData::withDeviceCounts(const QJsonObject &device) const
{
    QJsonObject result = device;
    const QList<QJsonObject> channels = topChannels(intOf(device, "DeviceID"));
    int online = 0;
    for (const QJsonObject &channel : channels)
        online += intOf(channel, "Online") != 0 ? 1 : 0;
    result.insert(QLatin1String("channelNums"), channels.size());
    result.insert(QLatin1String("onlineChannelNums"), online);
    return result;
}

QList<QJsonObject> SeedData::devices() const
{
    QList<QJsonObject> list;
    for (const QJsonObject &device : m_devices)
        list.append(withDeviceCounts(device));
    return list;
}

QJsonObject SeedData::device(int deviceId) const
{
    for (const QJsonObject &device : m_devices) {
        if (intOf(device, "DeviceID") == deviceId)
            return withDeviceCounts(device);
    }
    return {};
}

QList<QJsonObject> SeedData::topChannels(int deviceId) const
{
    QList<QJsonObject> list;
    for (const QJsonObject &channel : m_channels) {
        if (!isSubChannel(channel) && (deviceId == -1 || intOf(channel, "ParentDeviceID") == deviceId))
            list.append(channel);
    }
    return list;
}

QList<QJsonObject> SeedData::subChannels(const QString &gbChannelId) const
{
    const QJsonObject parent = [&] {
        for (const QJsonObject &channel : m_channels) {
            if (channel.value(QLatin1String("GBChannelID")).toString() == gbChannelId)
                return channel;
        }
        return QJsonObject();
    }();
    QList<QJsonObject> list;
    if (parent.isEmpty())
        return list;
    const int parentId = intOf(parent, "ChannelID");
    for (const QJsonObject &channel : m_channels) {
        if (intOf(channel, "_ParentChannelID") == parentId)
            list.append(channel);
    }
    return list;
}

int SeedData::channelIndex(int channelId) const
{
    for (int i = 0; i < m_channels.size(); ++i) {
        if (intOf(m_channels.at(i), "ChannelID") == channelId)
            return i;
    }
    return -1;
}

QJsonObject SeedData::channel(int channelId) const
{
    const int index = channelIndex(channelId);
    return index < 0 ? QJsonObject() : m_channels.at(index);
}

bool SeedData::setFavourite(int deviceId, int channelId, bool favourite)
{
    const int index = channelIndex(channelId);
    if (index < 0 || intOf(m_channels.at(index), "ParentDeviceID") != deviceId)
        return false;
    m_channels[index].insert(QLatin1String("FavoritesChannel"), favourite ? 1 : 0);
    return true;
}

QList<QJsonObject> SeedData::groups() const
{
    QList<QJsonObject> list;
    for (QJsonObject group : objects(m_root.value(QLatin1String("Groups")))) {
        int online = 0;
        for (int channelId : groupChannels(intOf(group, "ID")))
            online += intOf(channel(channelId), "Online") != 0 ? 1 : 0;
        group.insert(QLatin1String("onlineChannelNums"), online);
        group.remove(QLatin1String("Channels"));
        list.append(group);
    }
    return list;
}

QList<int> SeedData::groupChannels(int labelId) const
{
    QList<int> ids;
    for (const QJsonObject &group : objects(m_root.value(QLatin1String("Groups")))) {
        if (intOf(group, "ID") != labelId)
            continue;
        for (const QJsonValue &id : group.value(QLatin1String("Channels")).toArray())
            ids.append(id.toInt());
    }
    return ids;
}

QList<QJsonObject> SeedData::alarms() const
{
    return m_alarms;
}

int SeedData::removeAlarms(const QList<int> &ids)
{
    const qsizetype before = m_alarms.size();
    m_alarms.removeIf([&](const QJsonObject &alarm) { return ids.contains(intOf(alarm, "ID")); });
    return int(before - m_alarms.size());
}

void SeedData::clearAlarms()
{
    m_alarms.clear();
}

bool SeedData::hasRecords(int channelId, bool device, int day) const
{
    const QJsonObject records = m_root.value(QLatin1String("Records")).toObject();
    if (!records.value(QLatin1String("Channels")).toArray().contains(channelId))
        return false;
    const char *daysKey = device ? "DeviceDays" : "CloudDays";
    return records.value(QLatin1String(daysKey)).toArray().contains(day);
}

QJsonArray SeedData::dayRecords(int channelId, bool device, const QString &yyyyMMdd) const
{
    QJsonArray list;
    if (yyyyMMdd.size() != 8 || !hasRecords(channelId, device, yyyyMMdd.right(2).toInt()))
        return list;
    const QJsonObject records = m_root.value(QLatin1String("Records")).toObject();
    for (const QJsonObject &slot : objects(records.value(QLatin1String("Day")))) {
        const QString startAt = yyyyMMdd + slot.value(QLatin1String("Time")).toString();
        const QString key = recordKey(channelId, startAt);
        if (m_removedRecords.contains(key))
            continue;
        const QString prefix = device ? QStringLiteral("dev_") : QStringLiteral("rec_");
        list.append(QJsonObject{
            {QStringLiteral("name"), prefix + QString::number(channelId) + QLatin1Char('_') + startAt + QStringLiteral(".mp4")},
            {QStringLiteral("startAt"), startAt},
            {QStringLiteral("duration"), slot.value(QLatin1String("Duration")).toInt()},
            {QStringLiteral("hls"), RecordRoutes::recordPath(channelId, startAt)},
            {QStringLiteral("important"), m_importantRecords.contains(key)},
            {QStringLiteral("snap"), QStringLiteral("/media/record-snap.jpg")},
            {QStringLiteral("channelId"), channelId},
        });
    }
    return list;
}

QJsonObject SeedData::record(int channelId, const QString &startAt) const
{
    if (startAt.size() != 14)
        return {};
    for (bool device : {false, true}) {
        for (const QJsonValue &value : dayRecords(channelId, device, startAt.left(8))) {
            if (value.toObject().value(QLatin1String("startAt")).toString() == startAt)
                return value.toObject();
        }
    }
    return {};
}

bool SeedData::recordExists(int channelId, const QString &startAt) const
{
    return !record(channelId, startAt).isEmpty();
}

std::optional<int> SeedData::recordDuration(int channelId, const QString &startAt) const
{
    const QJsonObject found = record(channelId, startAt);
    if (found.isEmpty())
        return std::nullopt;
    return found.value(QLatin1String("duration")).toInt();
}

QList<int> SeedData::recordDurations() const
{
    QList<int> durations;
    const QJsonObject records = m_root.value(QLatin1String("Records")).toObject();
    for (const QJsonObject &slot : objects(records.value(QLatin1String("Day"))))
        durations.append(intOf(slot, "Duration"));
    return durations;
}

void SeedData::setRecordImportant(int channelId, const QString &startAt, bool important)
{
    if (important)
        m_importantRecords.insert(recordKey(channelId, startAt));
    else
        m_importantRecords.remove(recordKey(channelId, startAt));
}

void SeedData::removeRecord(int channelId, const QString &startAt)
{
    m_removedRecords.insert(recordKey(channelId, startAt));
}

QJsonObject SeedData::publicObject(const QJsonObject &object)
{
    QJsonObject result;
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!it.key().startsWith(QLatin1Char('_')))
            result.insert(it.key(), it.value());
    }
    return result;
}
